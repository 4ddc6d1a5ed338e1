#pragma once

#include "queue/QueueEntry.h"
#include "queue/ReservationQueue.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

// Keeps the reservation queue in an SQLite database ("Queue.db" in the data
// folder, WAL journal) so that it survives a crash. Every change the queue
// reports is noted and written at the next Commit, in one transaction: the
// dispatcher commits once per batch of requests, before any of the batch's
// replies leaves, so an acknowledged change is kept; changes made elsewhere
// (the operator, the web) are committed once the event loop's turn is done.
//
// A journal that cannot be written never stops the show: the queue goes on
// in memory, problem() says why, and every later change tries again with the
// whole queue. A file that is not a queue database is moved aside, never deleted.
class QueueJournal : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSchemaVersion = 1;

    // Keeps `queue` in `filePath`; an empty path stands for DataPath("Queue.db").
    explicit QueueJournal(ReservationQueue &queue, QString filePath = QString(),
                          QObject *parent = nullptr);
    ~QueueJournal() override;

    // Puts the kept queue back into the (empty) queue and starts keeping it.
    // Returns the entries restored; logs how many came back.
    int Restore();
    // Switching on keeps the queue as it stands; switching off stops keeping
    // it and deletes nothing.
    void SetEnabled(bool enabled);
    bool enabled() const { return m_enabled; }

    // Writes what changed since the last commit. True when the queue is kept.
    bool Commit();
    bool commitDue() const { return m_enabled && (m_rewrite || !m_changes.empty()); }

    // Empty while the queue is kept (or keeping is off), else why it is not.
    QString problem() const { return m_problem; }
    QString filePath() const;

Q_SIGNALS:
    // The queue started or stopped being kept.
    void problemChanged(const QString &problem);

private:
    struct Noted
    {
        ReservationQueue::Change change;
        QueueEntry entry; // as it was right after the change
    };

    void Note(const ReservationQueue::Change &change);
    // Opens the database and makes its table; false with m_problem set.
    bool OpenDatabase();
    void CloseDatabase();
    // Moves a file that is no queue database aside under a time-stamped name.
    bool MoveAside(const QString &why);
    bool Begin();
    bool WriteChanges();
    bool RewriteAll();
    bool Finish(QSqlDatabase &db, bool written, const QSqlError &error);
    void SetProblem(const QString &problem);

    struct Statements; // prepared once per open database

    // Writes a noted change; false with `error` set when a statement fails.
    bool WriteChange(const Noted &noted, QSqlError &error);

    ReservationQueue &m_queue;
    std::unique_ptr<Statements> m_statements;
    // The key of each kept entry, in queue order. Keys leave room between
    // them, so an entry goes in or out without moving any other row.
    std::vector<qint64> m_places;
    QString m_filePath;
    QString m_connection; // the Qt SQL connection's name, unique per journal
    std::vector<Noted> m_changes;
    QTimer m_endOfTurn;
    QString m_problem;
    bool m_enabled = false;
    bool m_open = false;
    bool m_rewrite = false; // the next commit writes the whole queue
};
