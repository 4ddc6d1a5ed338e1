#include "protocol/PacketReader.h"
#include "protocol/PacketWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

// Framing is tested on live channels (tests/net): split and joined packets,
// bad magic, oversize headers. Here: the reader and writer of every packet.

// Fields partly or wholly past the end read as zero; text stops at a zero unit
// or at its full width.
TEST(PacketReader, ReadsShortPacketsAsLaidOut)
{
    const QByteArray bytes = Hex("4F525641 00000140 00000004 00000001 000004D2 FFFF");
    const PacketReader reader(bytes);
    EXPECT_EQ(reader.u32(16), 1234u);
    EXPECT_EQ(reader.u32(20), 0xFFFF0000u);
    EXPECT_EQ(reader.u32(1000), 0u);
    EXPECT_EQ(reader.i32(-4), 0);
    EXPECT_EQ(reader.text(100, 20), QString());
    const QByteArray text = Hex("0041 0062 0000 0063 AC00 0031");
    EXPECT_EQ(PacketReader(text).text(0, 6), u"Ab");
    EXPECT_EQ(PacketReader(text).text(6, 3), QStringLiteral("c\uAC001"));
}

TEST(PacketWriter, TextIsBigEndianPaddedAndCutAndNothingIsWrittenPastTheEnd)
{
    PacketWriter writer(16 + 8, 0x00081000, 8);
    writer.putText(16, u"ABCDEF", 4);
    writer.putU32(22, 0xDEADBEEF);
    EXPECT_EQ(writer.packet(), Hex("4F525641 00081000 00000008 00000000 0041004200430044"));
}
