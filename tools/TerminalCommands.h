#pragma once

#include "protocol/Requests.h"

#include <QString>

class TerminalSession;

// melodeck's one-request commands: each sends its request on an open session,
// prints the decoded reply on standard output and returns the exit status. A
// refusal or a failed request prints one line on standard error instead.
class TerminalCommands
{
public:
    explicit TerminalCommands(TerminalSession &session) : m_session(session) {}

    int Info();
    // Sets the book view, then asks for the next, previous or same page.
    int Page(const Packet::SetBookView &view, qint32 direction);
    int Add(const Packet::RequestAdd &request);
    int Del(const Packet::RequestDel &request);
    int Book();
    int FavoriteGet(const QString &name);
    int FavoriteNew(const QString &name);
    int FavoriteAdd(const Packet::AddFavorite &request);
    int FavoriteSet(const Packet::SetFavoriteList &request);
    int FavoriteAddCreate(const Packet::AddFavorite &request);
    int Key(quint32 code);
    int NumberKey(quint32 number);
    int Load(const Packet::LoadSongList &request);

private:
    // Sends a favourite-list change and turns a refusal into `refusal`.
    int FavoriteChange(const QByteArray &request, quint32 reply, const QString &refusal);
    // Sends a request without a reply; the status once the server has handled it.
    int TellOnly(const QByteArray &request);
    // The failing status with the session's error line.
    int SessionFailed();

    TerminalSession &m_session;
};
