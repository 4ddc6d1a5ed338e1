#pragma once

#include <QColor>
#include <QTabBar>

// The tab bar of the main view: fixed 120 x 24 tabs, the current one filled
// blue with white text, the others in the button colour with dark text. Below
// the tabs it frames the area where the tabbed lists sit (they are its
// children). The owner learns of mouse clicks; a keyboard change of the
// current tab is only drawn.
class CTabCtrlExt : public QTabBar
{
    Q_OBJECT
public:
    static constexpr int kTabWidth = 120;
    static constexpr int kTabHeight = 24;

    explicit CTabCtrlExt(QWidget *parent = nullptr);

    // Fill and text colour of a tab that is current (selected or focused) or not.
    static QColor FillColor(bool current, const QPalette &palette);
    static QColor TextColor(bool current);

Q_SIGNALS:
    // A left click on the bar, after the current tab has followed it.
    void clicked();
    // A double click on the bar.
    void doubleClicked();

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};
