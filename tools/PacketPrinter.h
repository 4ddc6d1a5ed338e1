#pragma once

#include "protocol/Replies.h"

#include <QByteArrayView>
#include <QString>

// melodeck's output: replies and pushes decoded as plain tab-separated text,
// and any packet in hexadecimal. Every text ends with a line break.
class PacketPrinter
{
public:
    // The command code of a packet, 0 when it is too short to hold one.
    static quint32 Command(QByteArrayView packet);
    // A command's name ("ServerInfo"), or its code in hexadecimal when unknown.
    static QString Name(quint32 command);
    // One header line, then 16 bytes a line, each line opened by `direction`.
    static QString Hex(char direction, QByteArrayView packet);

    static QString ServerInfo(const Packet::ServerInfo &info);
    static QString Page(const Packet::PageData &page);
    static QString BookList(const Packet::BookList &book);
    static QString FavoriteList(const Packet::FavoriteListData &list);
    static QString LoadResult(const Packet::LoadResult &result);
    // A block for a packet that arrives unasked: its name and values, rows
    // below, and an empty line that ends the block.
    static QString Push(QByteArrayView packet);

    // A text as one tab-separated field: tabs and other control characters
    // become U+FFFD, so a title can never split a row.
    static QString Field(QString text);
};
