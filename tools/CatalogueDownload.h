#pragma once

#include <QString>

class SongListText;
class TerminalSession;

// Downloads the whole catalogue eight songs a request, with a progress bar on
// standard error when that is a terminal, and writes it as a text song list.
class CatalogueDownload
{
public:
    explicit CatalogueDownload(TerminalSession &session);

    // Fetches every song and writes the list to `path`, or to standard output
    // when `path` is empty; the exit status. Nothing is written unless all
    // songs arrived.
    int Run(const QString &path);

private:
    // Fetches `songCount` songs into `list`; false with the reason printed.
    bool Fetch(int songCount, SongListText &list);
    int Write(const SongListText &list, const QString &path);
    void ShowProgress(int done, int total);

    TerminalSession &m_session;
    bool m_showProgress = false;
    int m_shownPermille = -1;
};
