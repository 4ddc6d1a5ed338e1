#include "base/QueConfig.h"
#include "catalogue/SongRecord.h"
#include "protocol/QueueWire.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tests/support/Requests.h"
#include "tests/support/TempDir.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

TEST(Packets, RequestAddIsLaidOutAsTerminalsSendIt)
{
    const QByteArray packet = Packet::RequestAdd{0, 1234, -2, 0, QStringLiteral("Abc")}.Encode();
    EXPECT_EQ(packet.toHex(' '), (Hex("4F525641 00000140 00000034 00000000 000004D2 FFFFFFFE "
                                      "00000000 0041 0062 0063") +
                                  QByteArray(34, '\0'))
                                     .toHex(' '));
}

// Every reply's size on the wire, its length field, and the size a reader
// derives from its first 20 bytes: ServerInfo, PageData and the download's
// end mark are longer than their length fields say.
TEST(Packets, ReplySizesAgainstTheirLengthFields)
{
    const std::tuple<const char *, QByteArray, int, quint32> cases[] = {
        {"ServerInfo", Packet::ServerInfo::From(3, 4, QueConfig()).Encode(), 36, 16},
        {"AddResult", Packet::NumberResult{7}.Encode(Cmd::AddResult), 68, 52},
        {"LoadResult", Packet::LoadResult{1, 2}.Encode(), 68, 52},
        {"FavoriteListData", Packet::FavoriteListData().Encode(), 528, 512},
        {"FavoriteResult", Packet::FavoriteResult{true}.Encode(Cmd::FavoriteResultNew), 16, 0},
        {"BookList", Packet::BookList{1, QList<quint32>(40, 9)}.Encode(), 144, 128},
        {"StationMessage", Packet::StationMessage{QString(50, u'x')}.Encode(), 96, 80},
        {"end mark", Packet::MultiDownloadData::EncodeEndMark(), 24, 4},
    };
    for (const auto &[name, packet, size, length] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(packet.size(), size);
        EXPECT_EQ(At(packet, 8), length);
        EXPECT_EQ(Packet::WireSize(packet.left(20)), size);
    }
    // A zero-item download reply is told apart from the end mark by its start.
    EXPECT_EQ(Packet::WireSize(Hex("4F525641 00008124 00000004 00000000 00000078")), 20);
    EXPECT_EQ(Packet::StationMessage::Decode(std::get<1>(cases[6])).text, QString(40, u'x'));
    EXPECT_EQ(Packet::BookList::Decode(std::get<1>(cases[5])).numbers.size(), 31);
}

// The queue's wire form: QueueList out, and RequestSet back in, cut to the
// entries the payload really holds.
TEST(Packets, QueueListAndRequestSet)
{
    const QList<QueueItem> items = {{1234, -2, 1, 3, 0, u"Abc"_qs},
                                    {70000, 65538, -1, 65537, 1, QString()},
                                    {1, 0, 0, 1, 2, u"ABCDEFGHIJKLMNOPQRSTUVWXY"_qs}};
    const auto queueList = [](const QList<QueueItem> &entries) {
        return Packet::QueueWire{Packet::QueueWire::kQueueListMode, entries}.Encode(Cmd::QueueList);
    };

    // 172 bytes, param 65539; pitch, tempo and station go out as their low
    // 16 bits and the name cut to 20 units.
    const QByteArray expected = Hex("4F525641 00008142 0000009C 0001 0003"
                                    "000004D2 FFFE 0001 0003 0000 0041 0062 0063") +
                                QByteArray(34, '\0') + Hex("00011170 0002 FFFF 0001 0001") +
                                QByteArray(40, '\0') + Hex("00000001 0000 0000 0001 0002") +
                                QStringEncoder(QStringConverter::Utf16BE)(u"ABCDEFGHIJKLMNOPQRST");
    const QByteArray list = queueList(items);
    EXPECT_EQ(list.toHex(' '), expected.toHex(' '));
    EXPECT_EQ(queueList({}), Hex("4F525641 00008142 00000000 0001 0000"));

    // Read back, a name fills its 20 units (fields and signs: DispatcherTest).
    const auto back = Packet::QueueWire::Decode(list);
    ASSERT_EQ(back.items.size(), 3);
    EXPECT_EQ(back.items[2].customer, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));

    // A count beyond the payload is cut to the whole entries present; a
    // packet shorter than its header holds none.
    QByteArray overstated = list;
    overstated[15] = char(200);
    EXPECT_EQ(Packet::QueueWire::Decode(overstated).items.size(), 3);
    EXPECT_EQ(Packet::QueueWire::Decode(list.chopped(1)).items.size(), 2);
    EXPECT_TRUE(Packet::QueueWire::Decode(QByteArray("ORVA")).items.isEmpty());
}

} // namespace
