#include "protocol/Frame.h"
#include "protocol/PacketReader.h"
#include "protocol/PacketWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(ParseFrame, WaitsForHeaderAndPayload)
{
    const QByteArray packet = Hex("4F525641 00000140 00000034 00000000") + QByteArray(52, '\0');
    EXPECT_EQ(ParseFrame(QByteArrayView()).status, Frame::Incomplete);
    EXPECT_EQ(ParseFrame(packet.left(15)).status, Frame::Incomplete);
    EXPECT_EQ(ParseFrame(packet.left(16)).status, Frame::Incomplete);
    EXPECT_EQ(ParseFrame(packet.left(67)).status, Frame::Incomplete);
    const Frame whole = ParseFrame(packet + "ORVA");
    EXPECT_EQ(whole.status, Frame::Complete);
    EXPECT_EQ(whole.header.command, 0x140u);
    EXPECT_EQ(whole.header.total(), 68);
}

TEST(ParseFrame, BadMagicReportsTheBytesLittleEndian)
{
    const Frame frame = ParseFrame(Hex("41424344 00000110 00000000 00000000"));
    EXPECT_EQ(frame.status, Frame::BadMagic);
    EXPECT_EQ(frame.magic, 0x44434241u);
}

TEST(ParseFrame, HeaderThatCanNeverFitIsRejectedAtOnce)
{
    // 16368 + 16 is exactly the buffer: allowed. One more byte, or a length
    // whose total would wrap in 32 bits, can never complete.
    EXPECT_EQ(ParseFrame(Hex("4F525641 00000001 00003FF0 00000000")).status, Frame::Incomplete);
    EXPECT_EQ(ParseFrame(Hex("4F525641 00000001 00003FF1 00000000")).status, Frame::Oversize);
    EXPECT_EQ(ParseFrame(Hex("4F525641 00000001 FFFFFFF8 00000000")).status, Frame::Oversize);
}

TEST(PacketReader, FieldsPastTheEndReadAsZeroAndAreFlagged)
{
    const QByteArray bytes = Hex("4F525641 00000140 00000004 00000001 000004D2 FFFF");
    const PacketReader reader(bytes);
    EXPECT_EQ(reader.u32(16), 1234u);
    EXPECT_FALSE(reader.shortRead());
    EXPECT_EQ(reader.u32(20), 0xFFFF0000u); // half present: the rest is zero
    EXPECT_TRUE(reader.shortRead());
    EXPECT_EQ(reader.u32(1000), 0u);
    EXPECT_EQ(reader.i32(-4), 0);
    EXPECT_EQ(reader.text(100, 20), QString());
}

TEST(PacketReader, TextStopsAtZeroOrFullWidth)
{
    const QByteArray bytes = Hex("0041 0062 0000 0063 AC00 0031");
    const PacketReader reader(bytes);
    EXPECT_EQ(reader.text(0, 6), u"Ab");
    EXPECT_EQ(reader.text(6, 3), QStringLiteral("c\uAC001"));
}

TEST(PacketWriter, TextIsBigEndianPaddedAndCut)
{
    PacketWriter writer(16 + 8, 0x00081000, 8);
    writer.putText(16, u"ABCDEF", 4);
    writer.putU32(22, 0xDEADBEEF); // runs past the end: ignored
    EXPECT_EQ(writer.packet(), Hex("4F525641 00081000 00000008 00000000 0041004200430044"));
}
