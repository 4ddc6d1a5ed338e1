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
    struct Kept
    {
        std::unique_ptr<ReservationQueue> queue;
        std::unique_ptr<QueueJournal> journal;
    };
    // A new queue and journal on the same file, as at the next start.
    Kept Open()
    {
        Kept kept;
        kept.queue = std::make_unique<ReservationQueue>(
            [this](quint32 n) {
                song.number = n;
                return &song;
            },
            [this] { return QDateTime(QDate(2026, 12, 6), QTime(20, 0)).addSecs(60 * ++tick); });
        kept.journal = std::make_unique<QueueJournal>(*kept.queue, path);
        return kept;
    }
    static QList<QString> Entries(const ReservationQueue &queue)
    {
        QList<QString> texts;
        for (int i = 0; i < queue.count(); ++i) {
            const QueueEntry &e = queue.entry(i);
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
    static void Churn(ReservationQueue &queue, QueueJournal &journal, bool commitEach)
    {
        VenueConfig rules;
        rules.Rotation = true;
        const std::function<void()> steps[] = {
            [&] { queue.AddReservation(1, 0, 10, 1, -1, u"Ann"_qs); },
            [&] { queue.AddReservation(1, 0, 11, 0, 0, u"Bo"_qs); },
            [&] { queue.AddReservation(2, 1, 12, 0, 0, u"Cy"_qs); },
            [&] { queue.AddByRules(rules, 3, 0, 13, 2, 2, u"Dee"_qs); },
            [&] { queue.AddReservation(1, 0, 14, 0, 0, QString()); },
            [&] { queue.DeleteReservation(11, -1, -1); },
            [&] { queue.AcceptEntry(1, QDateTime(QDate(2026, 12, 6), QTime(21, 30, 5, 7))); },
            [&] {
                queue.ApplyQueueSet(3, false, {{13, 5, 6, 3, 2, u"Dee Dee"_qs}});
            },
            [&] { queue.DeleteReservation(0, 0, 4); },
        };
        for (const auto &step : steps) {
            step();
            if (commitEach) {
                EXPECT_TRUE(journal.Commit());
            }
        }
        EXPECT_TRUE(journal.Commit());
    }

    TempFolder folder;
    QString path = folder.Path(u"Queue.db"_qs);
    SongRecord song;
    int tick = 0;
};

// Whether committed after each change or once for all, the next start gets
// the queue back as it was: order, stations, key, tempo, names and both times.
TEST_F(QueueJournalTest, EveryKindOfChangeComesBackAtTheNextStart)
{
    for (bool commitEach : {true, false}) {
        SCOPED_TRACE(commitEach);
        QFile::remove(path);
        QList<QString> before;
        {
            Kept kept = Open();
            EXPECT_EQ(kept.journal->Restore(), 0);
            Churn(*kept.queue, *kept.journal, commitEach);
            before = Entries(*kept.queue);
            ASSERT_EQ(before.size(), 3);
            // Replacing the whole queue is journalled too.
            kept.queue->ApplyQueueSet(0, true, {{14, 0, 0, 0, 0, u"Eve"_qs}, {13, 1, 1, 0, 1, {}}});
            kept.queue->ApplyQueueSet(
                0, true,
                {{14, 0, 0, 0, 0, u"Eve"_qs}, {13, 1, 1, 0, 1, {}}, {10, 2, 2, 0, 2, u"Zed"_qs}});
            EXPECT_TRUE(kept.journal->Commit());
            before = Entries(*kept.queue);
        }
        LogCapture log;
        Kept again = Open();
        EXPECT_EQ(again.journal->Restore(), 3);
        EXPECT_EQ(Entries(*again.queue), before);
        EXPECT_EQ(log.Lines(), QStringList{u"Restored 3 songs of the queue from Queue.db."_qs});
        EXPECT_EQ(again.queue->rows().rowCount(), 3);
    }
}

// The accepted time shows in "Status" after a restore, and a kept queue keeps
// being kept: the restored journal writes on from where it was.
TEST_F(QueueJournalTest, RestoredQueueShowsAcceptsAndKeepsBeingKept)
{
    {
        Kept kept = Open();
        kept.journal->Restore();
        Churn(*kept.queue, *kept.journal, false);
    }
    {
        Kept kept = Open();
        kept.journal->Restore();
        EXPECT_FALSE(kept.queue->rows().cell(0, ReservationQueue::StatusColumn).isEmpty());
        kept.queue->AddReservation(4, 0, 99, 0, 0, u"Late"_qs);
        EXPECT_TRUE(kept.journal->Commit());
    }
    Kept last = Open();
    EXPECT_EQ(last.journal->Restore(), 4);
    EXPECT_EQ(last.queue->entry(3).number, 99u);
}

// Switching keeping off deletes nothing; on again, it keeps the queue as it stands.
TEST_F(QueueJournalTest, SwitchingOffDeletesNothingAndOnKeepsTheQueueAsItStands)
{
    {
        Kept kept = Open();
        kept.journal->Restore();
        kept.queue->AddReservation(1, 0, 5, 0, 0, {});
        kept.journal->Commit();
        kept.journal->SetEnabled(false);
        kept.queue->AddReservation(1, 0, 6, 0, 0, {});
        EXPECT_TRUE(kept.journal->Commit());
        EXPECT_TRUE(QFile::exists(path));
    }
    {
        Kept kept = Open();
        EXPECT_EQ(kept.journal->Restore(), 1);
        kept.queue->AddReservation(1, 0, 7, 0, 0, {});
        kept.journal->SetEnabled(false);
        kept.queue->AddReservation(1, 0, 8, 0, 0, {});
        kept.journal->SetEnabled(true);
    }
    Kept last = Open();
    last.journal->Restore();
    EXPECT_EQ(last.queue->Numbers(10), (QList<quint32>{5, 7, 8}));
}

// A file that cannot be kept never stops the queue: it goes on in memory, one
// log line says why, and the first change after the cause is gone keeps the
// whole queue again. Garbage and another program's database are moved aside.
TEST_F(QueueJournalTest, AJournalThatCannotBeWrittenNeverStopsTheQueue)
{
    const auto foreignDatabase = [this] {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"foreign"_qs);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(u"CREATE TABLE invoices (id INTEGER)"_qs);
        db.close();
    };
    const auto newerSchema = [this] {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"newer"_qs);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(u"PRAGMA user_version = 7"_qs);
        QSqlQuery(db).exec(u"CREATE TABLE entries (pos INTEGER)"_qs);
        db.close();
    };
    // Each case: what is done to the file or folder, the text the problem
    // starts with (empty: kept at once), and whether the file is moved aside.
    const std::tuple<const char *, std::function<void()>, QString, bool> cases[] = {
        {"garbage", [&] { WriteFileBytes(path, QByteArray(5000, 'x')); }, {}, true},
        {"foreign", foreignDatabase, {}, true},
        {"newer schema", newerSchema, u"Queue.db was written by a newer version (schema 7)"_qs,
         false},
        // What a read-only folder does to a non-root user; root writes anywhere.
        {"cannot be opened", [&] { QDir().mkpath(path); }, u"unable to open database file"_qs,
         false},
    };
    for (const auto &[name, damage, problem, movedAside] : cases) {
        SCOPED_TRACE(name);
        for (const QString &file : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(folder.Path(file));
        damage();
        LogCapture log;
        Kept kept = Open();
        EXPECT_EQ(kept.journal->Restore(), 0);
        kept.queue->AddReservation(1, 0, 5, 0, 0, {});
        EXPECT_EQ(kept.journal->Commit(), problem.isEmpty());
        EXPECT_TRUE(kept.journal->problem().startsWith(problem))
            << qPrintable(kept.journal->problem());
        EXPECT_EQ(kept.queue->count(), 1);
        const QStringList aside = QDir(folder.path()).entryList({u"Queue.db.broken-*"_qs});
        EXPECT_EQ(aside.size(), movedAside ? 1 : 0);
        if (!problem.isEmpty()) {
            EXPECT_EQ(log.Lines().filter(u"not being kept"_qs).size(), 1);
        }
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (name == std::string("read-only folder")) {
            // Once the folder can be written, the next change keeps the whole queue.
            kept.queue->AddReservation(1, 0, 6, 0, 0, {});
            EXPECT_TRUE(kept.journal->Commit());
            EXPECT_TRUE(kept.journal->problem().isEmpty());
            EXPECT_EQ(log.Lines().last(), u"The queue is kept in Queue.db again."_qs);
        }
    }
}

// A full disk mid-show: the commit fails and says so, the queue goes on, and
// once there is room again the whole queue is kept, nothing lost.
TEST_F(QueueJournalTest, FullDiskIsSurvivedAndMadeGoodOnceThereIsRoom)
{
    Kept kept = Open();
    kept.journal->Restore();
    kept.queue->AddReservation(1, 0, 1, 0, 0, {});
    ASSERT_TRUE(kept.journal->Commit());
    {
        FileSizeLimit full(QFileInfo(path).size() + QFileInfo(path + u"-wal"_qs).size());
        for (quint32 n = 2; n <= 200; ++n)
            kept.queue->AddReservation(1, 0, n, 0, 0, QString(30, u'x'));
        EXPECT_FALSE(kept.journal->Commit());
        EXPECT_FALSE(kept.journal->problem().isEmpty());
    }
    kept.queue->DeleteReservation(1, -1, -1);
    EXPECT_TRUE(kept.journal->Commit());
    kept = {};
    Kept again = Open();
    EXPECT_EQ(again.journal->Restore(), 199);
    EXPECT_EQ(again.queue->entry(0).number, 2u);
}

} // namespace
