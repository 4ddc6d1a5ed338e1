#include "queue/QueueJournal.h"

#include "base/VenueConfig.h"
#include "catalogue/SongRecord.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A queue whose catalogue holds every number, its clock a minute later at each
// reservation, and a journal in a folder of its own.
class QueueJournalTest : public ::testing::Test
{
protected:
    // A new queue and journal on the same file, as at the next start; returns
    // how many songs came back.
    int Reopen()
    {
        journal.reset();
        queue = std::make_unique<ReservationQueue>(
            [this](quint32 n) {
                song.number = n;
                return &song;
            },
            [this] { return QDateTime(QDate(2026, 12, 6), QTime(20, 0)).addSecs(60 * ++tick); });
        journal = std::make_unique<QueueJournal>(*queue, path);
        return journal->Restore();
    }
    void Add(quint32 number) { queue->AddReservation(1, 0, number, 0, 0, {}); }
    QList<QString> Entries() const
    {
        QList<QString> texts;
        for (int i = 0; i < queue->count(); ++i) {
            const QueueEntry &e = queue->entry(i);
            texts << u"%1 %2 %3 %4 %5 %6 %7"_qs.arg(e.station)
                         .arg(e.number)
                         .arg(e.pitch)
                         .arg(e.tempo)
                         .arg(e.CustomerText(),
                              e.reservedAt.ToDateTime().toString(Qt::ISODateWithMs),
                              e.acceptedAt.ToDateTime().toString(Qt::ISODateWithMs));
        }
        return texts;
    }
    // Every kind of change: adds at the end, at the head and by turns,
    // deletes, an accept and an edit in place.
    void Churn(bool commitEach)
    {
        VenueConfig rules;
        rules.Rotation = true;
        ReservationQueue &q = *queue;
        const std::function<void()> steps[] = {
            [&] { q.AddReservation(1, 0, 10, 1, -1, u"Ann"_qs); },
            [&] { q.AddReservation(1, 0, 11, 0, 0, u"Bo"_qs); },
            [&] { q.AddReservation(2, 1, 12, 0, 0, u"Cy"_qs); },
            [&] { q.AddByRules(rules, 3, 0, 13, 2, 2, u"Dee"_qs); },
            [&] { Add(14); },
            [&] { q.DeleteReservation(11, -1, -1); },
            [&] { q.AcceptEntry(1, QDateTime(QDate(2026, 12, 6), QTime(21, 30, 5, 7))); },
            [&] {
                q.ApplyQueueSet(3, false, {{13, 5, 6, 3, 2, u"Dee Dee"_qs}});
            },
            [&] { q.DeleteReservation(0, 0, 4); },
        };
        for (const auto &step : steps) {
            step();
            EXPECT_TRUE(!commitEach || journal->Commit());
        }
        EXPECT_TRUE(journal->Commit());
    }

    TempFolder folder;
    QString path = folder.Path(u"Queue.db"_qs);
    SongRecord song;
    int tick = 0;
    std::unique_ptr<ReservationQueue> queue;
    std::unique_ptr<QueueJournal> journal;
};

// Whether committed after each change or once for all, the next start gets
// the queue back as it was: order, stations, key, tempo, names and both times.
TEST_F(QueueJournalTest, EveryKindOfChangeComesBackAtTheNextStart)
{
    for (bool commitEach : {true, false}) {
        SCOPED_TRACE(commitEach);
        journal.reset();
        QFile::remove(path);
        EXPECT_EQ(Reopen(), 0);
        Churn(commitEach);
        ASSERT_EQ(queue->count(), 3);
        // Replacing the whole queue is journalled too.
        queue->ApplyQueueSet(0, true, {{14, 0, 0, 0, 0, u"Eve"_qs}, {13, 1, 1, 0, 1, {}}});
        queue->ApplyQueueSet(
            0, true,
            {{14, 0, 0, 0, 0, u"Eve"_qs}, {13, 1, 1, 0, 1, {}}, {10, 2, 2, 0, 2, u"Zed"_qs}});
        EXPECT_TRUE(journal->Commit());
        const QList<QString> before = Entries();
        LogCapture log;
        EXPECT_EQ(Reopen(), 3);
        EXPECT_EQ(Entries(), before);
        EXPECT_EQ(log.Lines(), QStringList{u"Restored 3 songs of the queue from Queue.db."_qs});
    }
}

// The accepted time shows in "Status" after a restore, and a kept queue keeps
// being kept: the restored journal writes on from where it was.
TEST_F(QueueJournalTest, RestoredQueueShowsAcceptsAndKeepsBeingKept)
{
    Reopen();
    Churn(false);
    Reopen();
    EXPECT_FALSE(queue->rows().cell(0, ReservationQueue::StatusColumn).isEmpty());
    queue->AddReservation(4, 0, 99, 0, 0, u"Late"_qs);
    EXPECT_TRUE(journal->Commit());
    EXPECT_EQ(Reopen(), 4);
    EXPECT_EQ(queue->entry(3).number, 99u);
    // Forty entries put at the head one by one use up the room before the
    // first kept entry; the queue is then kept afresh, in the same order.
    for (quint32 n = 100; n < 140; ++n) {
        queue->AddReservation(5, 1, n, 0, 0, {});
        queue->AcceptEntry(1, QDateTime(QDate(2026, 12, 6), QTime(22, 0)));
        ASSERT_TRUE(journal->Commit());
    }
    const QList<QString> before = Entries();
    EXPECT_EQ(Reopen(), 44);
    EXPECT_EQ(Entries(), before);
}

// Switching keeping off deletes nothing; on again, it keeps the queue as it stands.
TEST_F(QueueJournalTest, SwitchingOffDeletesNothingAndOnKeepsTheQueueAsItStands)
{
    Reopen();
    Add(5);
    journal->Commit();
    journal->SetEnabled(false);
    Add(6);
    EXPECT_TRUE(journal->Commit());
    EXPECT_EQ(Reopen(), 1);
    Add(7);
    journal->SetEnabled(false);
    Add(8);
    journal->SetEnabled(true);
    Reopen();
    EXPECT_EQ(queue->Numbers(10), (QList<quint32>{5, 7, 8}));
}

// A file that cannot be kept never stops the queue: it goes on in memory, one
// log line says why, and the first change after the cause is gone keeps the
// whole queue again. Garbage and another program's database are moved aside.
TEST_F(QueueJournalTest, AJournalThatCannotBeWrittenNeverStopsTheQueue)
{
    // Runs `statements` on the file through a connection of its own.
    const auto sql = [this](const QStringList &statements) {
        return [this, statements] {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, statements.first());
            db.setDatabaseName(path);
            db.open();
            for (const QString &statement : statements)
                QSqlQuery(db).exec(statement);
            db.close();
        };
    };
    // Each case: what is done to the file or folder, the text the problem
    // starts with (empty: kept at once), and whether the file is moved aside.
    const std::tuple<const char *, std::function<void()>, QString, bool> cases[] = {
        {"garbage", [&] { WriteFileBytes(path, QByteArray(5000, 'x')); }, {}, true},
        {"foreign", sql({u"CREATE TABLE invoices (id INTEGER)"_qs}), {}, true},
        {"newer schema",
         sql({u"PRAGMA user_version = 7"_qs, u"CREATE TABLE entries (pos INTEGER)"_qs}),
         u"Queue.db was written by a newer version (schema 7)"_qs, false},
        // What a read-only folder does to a non-root user; root writes anywhere.
        {"cannot be opened", [&] { QDir().mkpath(path); }, u"unable to open database file"_qs,
         false},
    };
    for (const auto &[name, damage, problem, movedAside] : cases) {
        SCOPED_TRACE(name);
        journal.reset();
        for (const QString &file : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(folder.Path(file));
        damage();
        LogCapture log;
        EXPECT_EQ(Reopen(), 0);
        Add(5);
        EXPECT_EQ(journal->Commit(), problem.isEmpty());
        EXPECT_TRUE(journal->problem().startsWith(problem)) << qPrintable(journal->problem());
        EXPECT_EQ(queue->count(), 1);
        const QStringList aside = QDir(folder.path()).entryList({u"Queue.db.broken-*"_qs});
        EXPECT_EQ(aside.size(), movedAside ? 1 : 0);
        EXPECT_EQ(log.Lines().filter(u"not being kept"_qs).size(), problem.isEmpty() ? 0 : 1);
        if (QFileInfo(path).isDir()) {
            // Once the file can be made, the next change keeps the whole queue.
            QDir(path).removeRecursively();
            Add(6);
            EXPECT_TRUE(journal->Commit());
            EXPECT_EQ(log.Lines().last(), u"The queue is kept in Queue.db again."_qs);
        }
    }
}

// A full disk mid-show: the commit fails and says so, the queue goes on, and
// once there is room again the whole queue is kept, nothing lost.
TEST_F(QueueJournalTest, FullDiskIsSurvivedAndMadeGoodOnceThereIsRoom)
{
    Reopen();
    Add(1);
    ASSERT_TRUE(journal->Commit());
    {
        FileSizeLimit full(QFileInfo(path).size() + QFileInfo(path + u"-wal"_qs).size());
        for (quint32 n = 2; n <= 200; ++n)
            queue->AddReservation(1, 0, n, 0, 0, QString(30, u'x'));
        EXPECT_FALSE(journal->Commit());
        EXPECT_FALSE(journal->problem().isEmpty());
    }
    queue->DeleteReservation(1, -1, -1);
    EXPECT_TRUE(journal->Commit());
    EXPECT_EQ(Reopen(), 199);
    EXPECT_EQ(queue->entry(0).number, 2u);
}

} // namespace
