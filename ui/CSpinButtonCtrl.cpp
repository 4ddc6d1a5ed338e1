#include "ui/CSpinButtonCtrl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

CSpinButtonCtrl::CSpinButtonCtrl(QWidget *parent) : QWidget(parent)
{
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CSpinButtonCtrl::SetRange(int bottom, int top)
{
    m_bottom = bottom;
    m_top = top;
}

void CSpinButtonCtrl::SetBuddy(QLineEdit *buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
}

void CSpinButtonCtrl::SetPos(int position)
{
    m_position = position;
}

int CSpinButtonCtrl::GetPos() const
{
    bool ok = false;
    const int typed = m_buddy ? m_buddy->text().trimmed().toInt(&ok) : 0;
    const auto [low, high] = std::minmax(m_bottom, m_top);
    return ok && typed >= low && typed <= high ? typed : m_position;
}

void CSpinButtonCtrl::Step(int steps)
{
    const auto [low, high] = std::minmax(m_bottom, m_top);
    const int towardsTop = m_top >= m_bottom ? steps : -steps;
    m_position = std::clamp(GetPos() + towardsTop, low, high);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

bool CSpinButtonCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CSpinButtonCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
