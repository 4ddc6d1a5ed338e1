#include "tools/PacketPrinter.h"

#include "protocol/PacketHeader.h"
#include "protocol/PacketReader.h"
#include "protocol/QueueWire.h"

#include <QStringList>

namespace {

// The names of the commands, replies and pushes, for the dumps and error lines.
struct CommandName
{
    quint32 command;
    const char *name;
};

constexpr CommandName kNames[] = {
    {Cmd::SetBookView, "SetBookView"},
    {Cmd::RequestServerInfo, "RequestServerInfo"},
    {Cmd::MultiDownload, "MultiDownload"},
    {Cmd::RequestAdd, "RequestAdd"},
    {Cmd::RequestDel, "RequestDel"},
    {Cmd::RequestSet, "RequestSet"},
    {Cmd::LoadSongList, "LoadSongList"},
    {Cmd::RequestFavoriteList, "RequestFavoriteList"},
    {Cmd::NewFavoriteList, "NewFavoriteList"},
    {Cmd::SetFavoriteList, "SetFavoriteList"},
    {Cmd::AddFavoriteList, "AddFavoriteList"},
    {Cmd::AddFavoriteCreate, "AddFavoriteCreate"},
    {Cmd::RemoteControlKey, "RemoteControlKey"},
    {Cmd::RequestBookList, "RequestBookList"},
    {Cmd::RemoconNumberKey, "RemoconNumberKey"},
    {Cmd::RequestPage, "RequestPage"},
    {Cmd::ServerInfo, "ServerInfo"},
    {Cmd::MultiDownloadData, "MultiDownloadData"},
    {Cmd::AddResult, "AddResult"},
    {Cmd::DelResult, "DelResult"},
    {Cmd::QueueList, "QueueList"},
    {Cmd::LoadResult, "LoadResult"},
    {Cmd::FavoriteListData, "FavoriteListData"},
    {Cmd::FavoriteResultNew, "FavoriteResult"},
    {Cmd::FavoriteResultSet, "FavoriteResult"},
    {Cmd::FavoriteResultAdd, "FavoriteResult"},
    {Cmd::BookList, "BookList"},
    {Cmd::PageData, "PageData"},
    {Cmd::StationMessage, "StationMessage"},
};

// A queue option as on or off.
QString OnOff(bool value)
{
    return value ? QStringLiteral("on") : QStringLiteral("off");
}

// "label<TAB>value" and a line break.
QString Line(const QString &label, const QString &value)
{
    return label + u'\t' + value + u'\n';
}

// "label" followed by each number after a tab, on one line.
QString NumberLine(const QString &label, const QList<quint32> &numbers)
{
    QString line = label;
    for (quint32 number : numbers)
        line += u'\t' + QString::number(number);
    return line + u'\n';
}

} // namespace

quint32 PacketPrinter::Command(QByteArrayView packet)
{
    return PacketReader(packet).u32(PacketHeader::kCommandOffset);
}

QString PacketPrinter::Name(quint32 command)
{
    for (const CommandName &entry : kNames)
        if (entry.command == command)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("command 0x%1").arg(command, 8, 16, QLatin1Char('0'));
}

QString PacketPrinter::Hex(char direction, QByteArrayView packet)
{
    const QString lead = QChar::fromLatin1(direction) + u' ';
    QString text =
        lead + QStringLiteral("%1, %2 bytes\n").arg(Name(Command(packet))).arg(packet.size());
    for (qsizetype at = 0; at < packet.size(); at += 16) {
        text += lead + QStringLiteral("%1 ").arg(at, 4, 16, QLatin1Char('0'));
        for (qsizetype i = at; i < std::min<qsizetype>(at + 16, packet.size()); ++i)
            text += (i == at + 8 ? QStringLiteral("  ") : QStringLiteral(" ")) +
                    QStringLiteral("%1").arg(uchar(packet[i]), 2, 16, QLatin1Char('0'));
        text += u'\n';
    }
    return text;
}

QString PacketPrinter::ServerInfo(const Packet::ServerInfo &info)
{
    return Line(QStringLiteral("songs"), QString::number(info.songCount)) +
           Line(QStringLiteral("timestamp"), QString::number(info.timestamp, 16)) +
           Line(QStringLiteral("pitch"), OnOff(info.pitch)) +
           Line(QStringLiteral("tempo"), OnOff(info.tempo)) +
           Line(QStringLiteral("sync"), OnOff(info.sync)) +
           Line(QStringLiteral("delete"), OnOff(info.deleteByStation)) +
           Line(QStringLiteral("customer-name"), OnOff(info.customerName)) +
           Line(QStringLiteral("remocon"), QString::number(info.remocon));
}

QString PacketPrinter::Page(const Packet::PageData &page)
{
    QString text = Line(QStringLiteral("page"), QString::number(page.currentPage)) +
                   Line(QStringLiteral("pages"), QString::number(page.pageCount)) +
                   QStringLiteral("number\ttitle\tartist\textra\n");
    for (const SongRecord &song : page.songs)
        text += QString::number(song.number) + u'\t' + Field(song.TitleText()) + u'\t' +
                Field(song.ArtistText()) + u'\t' + Field(song.ExtraText()) + u'\n';
    return text;
}

QString PacketPrinter::BookList(const Packet::BookList &book)
{
    return Line(QStringLiteral("numberkey"), QString::number(book.numberKey)) +
           NumberLine(QStringLiteral("queued"), book.numbers);
}

QString PacketPrinter::FavoriteList(const Packet::FavoriteListData &list)
{
    // The first empty slot ends a list.
    QList<quint32> numbers;
    for (quint32 number : list.numbers) {
        if (number == 0)
            break;
        numbers.append(number);
    }
    return NumberLine(QStringLiteral("songs"), numbers);
}

QString PacketPrinter::LoadResult(const Packet::LoadResult &result)
{
    return Line(QStringLiteral("songs"), QString::number(result.songCount)) +
           Line(QStringLiteral("timestamp"), QString::number(result.timestamp, 16));
}

QString PacketPrinter::Push(QByteArrayView packet)
{
    const quint32 command = Command(packet);
    QString text;
    if (command == Cmd::QueueList) {
        const Packet::QueueWire queue = Packet::QueueWire::Decode(packet);
        text = Line(Name(command), QString::number(queue.items.size()));
        for (const QueueItem &item : queue.items)
            text += QStringLiteral("%1\t%2\t%3\t%4\t%5\t")
                        .arg(item.index)
                        .arg(item.number)
                        .arg(item.pitch)
                        .arg(item.tempo)
                        .arg(item.station) +
                    Field(item.customer) + u'\n';
    } else if (command == Cmd::RemoteControlKey) {
        const quint32 key = PacketReader(packet).u32(PacketHeader::kParamOffset);
        text = Line(Name(command), QString::number(key, 16));
    } else if (command == Cmd::StationMessage) {
        text = Line(Name(command), Field(Packet::StationMessage::Decode(packet).text));
    } else {
        text = Line(Name(command), QString::number(packet.size()));
    }
    return text + u'\n';
}

QString PacketPrinter::Field(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar::ReplacementCharacter;
    return text;
}
