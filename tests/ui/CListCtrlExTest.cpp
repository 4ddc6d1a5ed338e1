#include "tests/ui/WindowTest.h"

#include <QHeaderView>
#include <QProxyStyle>

using ListHeaderTest = WindowTest;

// At the default widths every header text fits whole between the header's
// margins; only the queue's "Status" column starts hidden.
TEST_F(ListHeaderTest, EveryHeaderTextFitsItsDefaultWidth)
{
    for (CListCtrlEx *list :
         {&view().clientView(), &view().logView(), &view().favoriteView(), &view().queueView()}) {
        const QHeaderView &header = *list->horizontalHeader();
        const QFontMetrics metrics(header.font());
        const int margins =
            2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
        for (int i = 0; i < header.count(); ++i) {
            const QString text = list->model()->headerData(i, Qt::Horizontal).toString();
            SCOPED_TRACE(list->viewName().toStdString() + " " + text.toStdString());
            if (list == &view().queueView() && i == ReservationQueue::StatusColumn)
                EXPECT_EQ(header.sectionSize(i), 0);
            else
                EXPECT_LE(metrics.horizontalAdvance(text) + margins, header.sectionSize(i));
        }
    }
}

namespace {

// The application's style, noting each text it draws and where.
class TextRecorder : public QProxyStyle
{
public:
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette,
                      bool enabled, const QString &text,
                      QPalette::ColorRole textRole) const override
    {
        drawn.append({rect, text});
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
    }
    mutable QList<std::pair<QRect, QString>> drawn;
};

} // namespace

// A column too narrow for its header shows the text's start with "…", within
// the header's margins, also where the header is right-aligned ("Song Number").
TEST_F(ListHeaderTest, TooNarrowHeaderIsCutOnTheRight)
{
    QHeaderView &header = *view().queueView().horizontalHeader();
    TextRecorder recorder;
    header.setStyle(&recorder);
    const int column = ReservationQueue::NumberColumn;
    header.resizeSection(column, 40);
    header.viewport()->grab();
    const int left = header.sectionViewportPosition(column);
    QString drawn;
    for (const auto &[rect, text] : recorder.drawn)
        if (rect.left() >= left && rect.right() < left + 40)
            drawn = text;
    const int margin = recorder.pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    EXPECT_TRUE(drawn.endsWith(u'…') && u"Song Number"_qs.startsWith(drawn.chopped(1)))
        << drawn.toStdString();
    EXPECT_LE(QFontMetrics(header.font()).horizontalAdvance(drawn), 40 - 2 * margin);
    header.setStyle(nullptr);
}
