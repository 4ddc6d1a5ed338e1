#pragma once

#include <QtGlobal>

// The 16 bytes that open every packet: "ORVA", command, payload length and a
// command-specific parameter, all big-endian.
struct PacketHeader
{
    static constexpr int kSize = 16;
    static constexpr char kMagic[4] = {'O', 'R', 'V', 'A'};
    // A whole packet must fit a channel's receive buffer of this many bytes.
    static constexpr qint64 kMaxPacket = 16384;
    static constexpr int kCommandOffset = 4;
    static constexpr int kLengthOffset = 8;
    static constexpr int kParamOffset = 12;

    quint32 command = 0;
    quint32 length = 0; // payload bytes; the packet is length + 16 bytes
    quint32 param = 0;

    qint64 total() const { return qint64(length) + kSize; }
};

// Command codes of requests (terminal to server) and of replies and pushes.
namespace Cmd {
constexpr quint32 SetBookView = 0x00000001;
constexpr quint32 RequestServerInfo = 0x00000110;
constexpr quint32 MultiDownload = 0x00000120;
constexpr quint32 RequestAdd = 0x00000140;
constexpr quint32 RequestDel = 0x00000141;
constexpr quint32 RequestSet = 0x00000142;
constexpr quint32 LoadSongList = 0x00000143;
constexpr quint32 RequestFavoriteList = 0x00000200;
constexpr quint32 NewFavoriteList = 0x00000201;
constexpr quint32 SetFavoriteList = 0x00000202;
constexpr quint32 AddFavoriteList = 0x00000203;
constexpr quint32 AddFavoriteCreate = 0x00000204;
constexpr quint32 RemoteControlKey = 0x00000400;
constexpr quint32 RequestBookList = 0x00000410;
constexpr quint32 RemoconNumberKey = 0x00008400;
constexpr quint32 RequestPage = 0x00010100;

constexpr quint32 ServerInfo = 0x00008110;
constexpr quint32 MultiDownloadData = 0x00008124;
constexpr quint32 AddResult = 0x00008140;
constexpr quint32 DelResult = 0x00008141;
constexpr quint32 QueueList = 0x00008142;
constexpr quint32 LoadResult = 0x00008143;
constexpr quint32 FavoriteListData = 0x00008200;
constexpr quint32 FavoriteResultNew = 0x00008201;
constexpr quint32 FavoriteResultSet = 0x00008202;
constexpr quint32 FavoriteResultAdd = 0x00008203;
constexpr quint32 BookList = 0x00008410;
constexpr quint32 PageData = 0x00100100;
constexpr quint32 StationMessage = 0x00081000;

// Packets the server sends unasked: to the local client, or to any station.
constexpr bool IsPush(quint32 command)
{
    return command == QueueList || command == RemoteControlKey || command == StationMessage;
}
} // namespace Cmd
