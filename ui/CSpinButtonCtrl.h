#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control beside a buddy edit box: its arrows, and the Up and Down
// keys in the buddy, move a position within a range and write it into the
// buddy in decimal. A number typed into the buddy is where the next step
// starts, when it lies within the range.
class CSpinButtonCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit CSpinButtonCtrl(QWidget *parent = nullptr);

    // `bottom` is where the down arrow stops, `top` where the up arrow stops.
    void SetRange(int bottom, int top);
    void SetBuddy(QLineEdit *buddy);
    void SetPos(int position);
    // The position, taken from the buddy when it holds a number within the range.
    int GetPos() const;
    // Moves the position `steps` towards the top (negative: the bottom), within
    // the range, and writes it into the buddy.
    void Step(int steps);

    QToolButton &upButton() { return *m_up; }
    QToolButton &downButton() { return *m_down; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    int m_bottom = 0;
    int m_top = 100;
    int m_position = 0;
};
