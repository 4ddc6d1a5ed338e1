#include "tools/TerminalCommands.h"

#include "protocol/PacketHeader.h"
#include "protocol/Replies.h"
#include "tools/ConsoleText.h"
#include "tools/PacketPrinter.h"
#include "tools/TerminalSession.h"

int TerminalCommands::Info()
{
    const auto reply =
        m_session.Ask(Packet::EncodeHeaderOnly(Cmd::RequestServerInfo), Cmd::ServerInfo);
    if (!reply)
        return SessionFailed();
    Print(stdout, PacketPrinter::ServerInfo(Packet::ServerInfo::Decode(*reply)));
    return kExitOk;
}

int TerminalCommands::Page(const Packet::SetBookView &view, qint32 direction)
{
    // SetBookView has no reply; the page that answers RequestPage follows it in order.
    if (!m_session.Send(view.Encode()))
        return SessionFailed();
    const auto reply =
        m_session.Ask(Packet::RequestPage{direction, view.sortMode}.Encode(), Cmd::PageData);
    if (!reply)
        return SessionFailed();
    Print(stdout, PacketPrinter::Page(Packet::PageData::Decode(*reply)));
    return kExitOk;
}

int TerminalCommands::Add(const Packet::RequestAdd &request)
{
    const auto reply = m_session.Ask(request.Encode(), Cmd::AddResult);
    if (!reply)
        return SessionFailed();
    // The server answers 0 when it added nothing.
    if (Packet::NumberResult::Decode(*reply).number == 0)
        return Fail(QStringLiteral("song %1 was not added: it is not in the catalogue, or the "
                                   "queue is full")
                        .arg(request.number));
    return kExitOk;
}

int TerminalCommands::Del(const Packet::RequestDel &request)
{
    // The server echoes the number whatever it deleted; `book` shows the queue.
    return m_session.Ask(request.Encode(), Cmd::DelResult) ? kExitOk : SessionFailed();
}

int TerminalCommands::Book()
{
    const auto reply = m_session.Ask(Packet::EncodeHeaderOnly(Cmd::RequestBookList), Cmd::BookList);
    if (!reply)
        return SessionFailed();
    Print(stdout, PacketPrinter::BookList(Packet::BookList::Decode(*reply)));
    return kExitOk;
}

int TerminalCommands::FavoriteGet(const QString &name)
{
    const auto reply = m_session.Ask(Packet::FavoriteName{name}.Encode(Cmd::RequestFavoriteList),
                                     Cmd::FavoriteListData);
    if (!reply)
        return SessionFailed();
    const Packet::FavoriteListData list = Packet::FavoriteListData::Decode(*reply);
    if (!list.found)
        return Fail(QStringLiteral("no favourite list is named %1").arg(name));
    Print(stdout, PacketPrinter::FavoriteList(list));
    return kExitOk;
}

int TerminalCommands::FavoriteNew(const QString &name)
{
    return FavoriteChange(Packet::FavoriteName{name}.Encode(Cmd::NewFavoriteList),
                          Cmd::FavoriteResultNew,
                          QStringLiteral("favourite list %1 was not created: the name is taken, "
                                         "or the server holds all the lists it can")
                              .arg(name));
}

int TerminalCommands::FavoriteAdd(const Packet::AddFavorite &request)
{
    return FavoriteChange(request.Encode(Cmd::AddFavoriteList), Cmd::FavoriteResultAdd,
                          QStringLiteral("song %1 was not added to favourite list %2: no such "
                                         "list, or the list is full")
                              .arg(request.number)
                              .arg(request.name));
}

int TerminalCommands::FavoriteSet(const Packet::SetFavoriteList &request)
{
    return FavoriteChange(
        request.Encode(), Cmd::FavoriteResultSet,
        QStringLiteral("favourite list %1 was not replaced: no such list").arg(request.name));
}

int TerminalCommands::FavoriteAddCreate(const Packet::AddFavorite &request)
{
    return TellOnly(request.Encode(Cmd::AddFavoriteCreate));
}

int TerminalCommands::Key(quint32 code)
{
    return TellOnly(Packet::EncodeHeaderOnly(Cmd::RemoteControlKey, code));
}

int TerminalCommands::NumberKey(quint32 number)
{
    return TellOnly(Packet::EncodeHeaderOnly(Cmd::RemoconNumberKey, number));
}

int TerminalCommands::Load(const Packet::LoadSongList &request)
{
    // When the new catalogue has songs the server closes this connection right
    // after the reply, as it closes every terminal's.
    const auto reply = m_session.Ask(request.Encode(), Cmd::LoadResult);
    if (!reply)
        return SessionFailed();
    const Packet::LoadResult result = Packet::LoadResult::Decode(*reply);
    Print(stdout, PacketPrinter::LoadResult(result));
    if (result.songCount == 0)
        return Fail(QStringLiteral("the server loaded no songs from %1; its catalogue is empty now")
                        .arg(request.fileName));
    return kExitOk;
}

int TerminalCommands::FavoriteChange(const QByteArray &request, quint32 reply,
                                     const QString &refusal)
{
    const auto answer = m_session.Ask(request, reply);
    if (!answer)
        return SessionFailed();
    return Packet::FavoriteResult::Decode(*answer).ok ? kExitOk : Fail(refusal);
}

int TerminalCommands::TellOnly(const QByteArray &request)
{
    return m_session.Tell(request) ? kExitOk : SessionFailed();
}

int TerminalCommands::SessionFailed()
{
    return Fail(m_session.error());
}
