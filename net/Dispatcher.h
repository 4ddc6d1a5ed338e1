#pragma once

#include <QByteArrayView>
#include <QtGlobal>

class CClientSocket;
class MelodeckServer;
class PacketReader;
class SongCatalogue;
struct PacketHeader;
struct QueConfig;

// Cuts a channel's received bytes into packets and carries out each request:
// the one entry point through which a terminal's requests take effect.
class Dispatcher
{
public:
    Dispatcher(MelodeckServer &server, const SongCatalogue &catalogue, const QueConfig &config);

    // Handles every complete packet held in the channel's receive buffer, in
    // order, and returns how many trailing bytes wait for the next receive.
    int DpfHandleMsg(CClientSocket &channel);

private:
    // False for a command this server does not know.
    bool Handle(CClientSocket &channel, const PacketHeader &header, const PacketReader &packet);

    void RequestServerInfo(CClientSocket &channel);

    MelodeckServer &m_server;
    const SongCatalogue &m_catalogue;
    const QueConfig &m_config;
};
