#include "tools/PushListener.h"

#include "protocol/PacketHeader.h"
#include "protocol/Requests.h"
#include "tools/ConsoleText.h"
#include "tools/PacketPrinter.h"
#include "tools/TerminalSession.h"

#include <csignal>

namespace {

// How often the wait for packets looks at the stop flag.
constexpr int kPollMs = 100;

volatile std::sig_atomic_t g_stopRequested = 0;

// The signal handler: only sets the flag the loop looks at.
void RequestStop(int)
{
    g_stopRequested = 1;
}

} // namespace

int PushListener::Run()
{
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // The server has accepted the connection once it answers; only then are
    // pushes sure to reach this listener, so only then is "listening" printed.
    if (!m_session.Ask(Packet::EncodeHeaderOnly(Cmd::RequestServerInfo), Cmd::ServerInfo))
        return Fail(m_session.error());
    const SessionOptions &options = m_session.options();
    Print(stdout, QStringLiteral("listening\t%1:%2\n\n").arg(options.host).arg(options.port));

    while (!g_stopRequested) {
        const auto packet = m_session.Next(kPollMs);
        if (packet)
            Print(stdout, PacketPrinter::Push(*packet));
        else if (m_session.broken())
            return Fail(m_session.error());
    }
    return kExitOk;
}
