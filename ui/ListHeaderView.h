#pragma once

#include <QHeaderView>

// The column header of a CListCtrlEx: a text too wide for its column keeps
// its start and ends in "…", whatever its alignment. (The Qt 6.4 header
// ignores its own elide mode, so a right-aligned text lost its start.)
class ListHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit ListHeaderView(QWidget *parent = nullptr);

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override;
};
