#include "ui/CCustomizeDlg.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CCustomizeDlg::CCustomizeDlg(const QList<QAction *> &buttons, const QList<QPixmap> &userImages,
                             QWidget *parent)
    : QDialog(parent), m_actions(buttons)
{
    setWindowTitle(QStringLiteral("Customize"));
    setModal(false);

    m_buttons = new QListWidget(this);
    for (QAction *action : m_actions) {
        auto *item = new QListWidgetItem(action->icon(), action->iconText(), m_buttons);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(action->isVisible() ? Qt::Checked : Qt::Unchecked);
    }
    m_buttons->setCurrentRow(0);
    connect(m_buttons, &QListWidget::itemChanged, this, &CCustomizeDlg::ButtonChanged);

    m_images = new QListWidget(this);
    m_images->setViewMode(QListView::IconMode);
    m_images->setIconSize({16, 16});
    m_images->setGridSize({24, 24});
    for (const QPixmap &image : userImages)
        new QListWidgetItem(QIcon(image), QString(), m_images);
    connect(m_images, &QListWidget::itemClicked, this, &CCustomizeDlg::ImageChosen);

    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Buttons shown:"), this));
    left->addWidget(m_buttons);
    columns->addLayout(left);
    if (!userImages.isEmpty()) {
        auto *right = new QVBoxLayout;
        right->addWidget(new QLabel(QStringLiteral("User images:"), this));
        right->addWidget(m_images);
        columns->addLayout(right);
    } else {
        m_images->hide();
    }
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(close);
}

void CCustomizeDlg::ButtonChanged(QListWidgetItem *item)
{
    const int row = m_buttons->row(item);
    if (row >= 0 && row < m_actions.size())
        m_actions[row]->setVisible(item->checkState() == Qt::Checked);
}

void CCustomizeDlg::ImageChosen(QListWidgetItem *item)
{
    const int button = m_buttons->currentRow();
    if (button < 0 || button >= m_actions.size())
        return;
    const QIcon icon = item->icon();
    m_actions[button]->setIcon(icon);
    m_buttons->item(button)->setIcon(icon);
}
