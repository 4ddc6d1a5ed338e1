#include "queue/QueueJournal.h"

#include "base/DataPath.h"
#include "base/EventLog.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

// More changes than this in one turn are cheaper written as the whole queue.
constexpr size_t kMaxNoted = 2 * ReservationQueue::kCapacity;
// The room between the keys of neighbouring entries when they are written
// afresh: 32 entries could be put between two before the queue is rewritten.
constexpr qint64 kPlaceGap = qint64(1) << 32;

// A local time's eight fields packed into one integer (0 when not set): read
// back without parsing, which keeps restoring 5,000 entries quick.
constexpr int kTimeBits[] = {16, 4, 3, 5, 5, 6, 6, 10};

qint64 TimeValue(const LocalTime &time)
{
    const quint16 fields[] = {time.year, time.month,  time.dayOfWeek, time.day,
                              time.hour, time.minute, time.second,    time.millisecond};
    qint64 value = 0;
    for (int i = 0; i < 8; ++i)
        value = (value << kTimeBits[i]) | (fields[i] & ((1 << kTimeBits[i]) - 1));
    return value;
}

LocalTime TimeFrom(qint64 value)
{
    quint16 fields[8] = {};
    for (int i = 7; i >= 0; --i) {
        fields[i] = quint16(value & ((1 << kTimeBits[i]) - 1));
        value >>= kTimeBits[i];
    }
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]};
}

QString ErrorText(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("unknown error") : text;
}

// SQLite's answers for a file that is no database, or a damaged one.
bool IsNotADatabase(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == u"26" || code == u"11";
}

// Binds one entry's fields to :station .. :accepted.
void BindEntry(QSqlQuery &query, const QueueEntry &entry)
{
    query.bindValue(QStringLiteral(":station"), qint64(entry.station));
    query.bindValue(QStringLiteral(":number"), qint64(entry.number));
    query.bindValue(QStringLiteral(":pitch"), entry.pitch);
    query.bindValue(QStringLiteral(":tempo"), entry.tempo);
    query.bindValue(QStringLiteral(":customer"), entry.CustomerText());
    query.bindValue(QStringLiteral(":reserved"), TimeValue(entry.reservedAt));
    query.bindValue(QStringLiteral(":accepted"), TimeValue(entry.acceptedAt));
}

int g_journals = 0;

} // namespace

struct QueueJournal::Statements
{
    explicit Statements(const QSqlDatabase &db)
        : begin(db), commit(db), insert(db), remove(db), update(db)
    {
    }

    bool Prepare()
    {
        return begin.prepare(QStringLiteral("BEGIN")) && commit.prepare(QStringLiteral("COMMIT")) &&
               insert.prepare(QStringLiteral("INSERT INTO entries VALUES (:place, :station, "
                                             ":number, :pitch, :tempo, :customer, :reserved, "
                                             ":accepted)")) &&
               remove.prepare(QStringLiteral("DELETE FROM entries WHERE place = :place")) &&
               update.prepare(QStringLiteral(
                   "UPDATE entries SET station = :station, number = :number, pitch = :pitch, "
                   "tempo = :tempo, customer = :customer, reserved = :reserved, accepted = "
                   ":accepted WHERE place = :place"));
    }

    QSqlQuery begin, commit, insert, remove, update;
};

QueueJournal::QueueJournal(ReservationQueue &queue, QString filePath, QObject *parent)
    : QObject(parent), m_queue(queue), m_filePath(std::move(filePath)),
      m_connection(QStringLiteral("queue-journal-%1").arg(++g_journals))
{
    // A zero timer fires once the events already waiting have been handled.
    m_endOfTurn.setSingleShot(true);
    m_endOfTurn.setInterval(0);
    connect(&m_endOfTurn, &QTimer::timeout, this, &QueueJournal::Commit);
    // The queue may outlive the journal.
    queue.AddChangeObserver([self = QPointer<QueueJournal>(this)](const auto &change) {
        if (self)
            self->Note(change);
    });
}

QueueJournal::~QueueJournal()
{
    Commit();
    CloseDatabase();
}

QString QueueJournal::filePath() const
{
    return m_filePath.isEmpty() ? DataPath(QStringLiteral("Queue.db")) : m_filePath;
}

void QueueJournal::Note(const ReservationQueue::Change &change)
{
    if (!m_enabled)
        return;
    if (change.kind == ReservationQueue::Change::Reset || m_changes.size() >= kMaxNoted) {
        m_rewrite = true;
        m_changes.clear();
    } else if (!m_rewrite) {
        m_changes.push_back({change, m_queue.entry(change.position)});
    }
    if (!m_endOfTurn.isActive())
        m_endOfTurn.start();
}

int QueueJournal::Restore()
{
    m_enabled = true;
    if (!OpenDatabase()) {
        m_rewrite = true;
        return 0;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("SELECT station, number, pitch, tempo, customer, reserved, "
                                   "accepted, place FROM entries ORDER BY place"))) {
        SetProblem(ErrorText(query.lastError()));
        CloseDatabase();
        m_rewrite = true;
        return 0;
    }
    QList<QueueEntry> entries;
    m_places.clear();
    while (query.next() && entries.size() < ReservationQueue::kCapacity) {
        m_places.push_back(query.value(7).toLongLong());
        QueueEntry entry;
        entry.station = quint32(query.value(0).toLongLong());
        entry.number = quint32(query.value(1).toLongLong());
        entry.pitch = query.value(2).toInt();
        entry.tempo = query.value(3).toInt();
        entry.SetCustomer(query.value(4).toString());
        entry.reservedAt = TimeFrom(query.value(5).toLongLong());
        entry.acceptedAt = TimeFrom(query.value(6).toLongLong());
        entries.append(entry);
    }
    m_queue.Restore(entries);
    WriteLog("Restored %d songs of the queue from Queue.db.", int(entries.size()));
    return int(entries.size());
}

void QueueJournal::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    m_changes.clear();
    if (!enabled) {
        CloseDatabase();
        SetProblem(QString());
        return;
    }
    m_rewrite = true;
    Commit();
}

bool QueueJournal::Commit()
{
    if (!m_enabled)
        return true;
    if (!commitDue())
        return m_problem.isEmpty();
    const bool written = (m_open || OpenDatabase()) && (m_rewrite ? RewriteAll() : WriteChanges());
    m_changes.clear();
    if (!written) {
        // Whatever failed, the next try writes the whole queue afresh.
        m_rewrite = true;
        CloseDatabase();
        return false;
    }
    m_rewrite = false;
    SetProblem(QString());
    return true;
}

bool QueueJournal::OpenDatabase()
{
    CloseDatabase();
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        if (!db.isValid()) {
            SetProblem(QStringLiteral("the SQLite driver for Qt is not installed"));
            CloseDatabase();
            return false;
        }
        db.setDatabaseName(filePath());
        if (!db.open()) {
            SetProblem(ErrorText(db.lastError()));
            CloseDatabase();
            return false;
        }
        m_open = true;
        QSqlQuery query(db);
        QStringList tables;
        int version = 0;
        bool readable = query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
        if (readable) {
            version = query.value(0).toInt();
            readable =
                query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
            while (readable && query.next())
                tables << query.value(0).toString();
        }
        if (!readable && !IsNotADatabase(query.lastError())) {
            SetProblem(ErrorText(query.lastError()));
            CloseDatabase();
            return false;
        }
        if (readable && version > kSchemaVersion) {
            SetProblem(
                QStringLiteral("Queue.db was written by a newer version (schema %1)").arg(version));
            CloseDatabase();
            return false;
        }
        const bool ours =
            tables.isEmpty() || (tables == QStringList{u"entries"_qs} && version == kSchemaVersion);
        if (readable && ours)
            break;
        // Garbage, a damaged file or another program's database: kept aside, never deleted.
        CloseDatabase();
        if (attempt == 1 || !MoveAside(readable ? QStringLiteral("another program's database")
                                                : ErrorText(query.lastError())))
            return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    for (const char *statement :
         {"PRAGMA page_size = 1024", "PRAGMA locking_mode = EXCLUSIVE", "PRAGMA journal_mode = WAL",
          "PRAGMA synchronous = NORMAL",
          "CREATE TABLE IF NOT EXISTS entries (place INTEGER PRIMARY KEY, station INTEGER, number "
          "INTEGER, pitch INTEGER, tempo INTEGER, customer TEXT, reserved INTEGER, accepted "
          "INTEGER)",
          "PRAGMA user_version = 1"}) {
        if (!query.exec(QString::fromLatin1(statement))) {
            SetProblem(ErrorText(query.lastError()));
            CloseDatabase();
            return false;
        }
    }
    m_statements = std::make_unique<Statements>(QSqlDatabase::database(m_connection, false));
    if (!m_statements->Prepare()) {
        SetProblem(ErrorText(m_statements->insert.lastError()));
        CloseDatabase();
        return false;
    }
    return true;
}

void QueueJournal::CloseDatabase()
{
    m_statements.reset();
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

bool QueueJournal::MoveAside(const QString &why)
{
    const QString path = filePath();
    const QString aside =
        path + QDateTime::currentDateTime().toString(QStringLiteral("'.broken-'yyyyMMdd-HHmmss"));
    if (!QFile::rename(path, aside)) {
        SetProblem(QStringLiteral("Queue.db is no queue database (%1) and cannot be moved aside")
                       .arg(why));
        return false;
    }
    // Its journal files belong to it, not to the new database.
    for (const char *suffix : {"-wal", "-shm"})
        if (QFile::exists(path + QLatin1String(suffix)))
            QFile::rename(path + QLatin1String(suffix), aside + QLatin1String(suffix));
    WriteLog("Queue.db is no queue database (%s): moved aside to %s.", qUtf8Printable(why),
             qUtf8Printable(aside));
    return true;
}

// Opens a transaction, or says why it cannot.
bool QueueJournal::Begin()
{
    if (m_statements->begin.exec())
        return true;
    SetProblem(ErrorText(m_statements->begin.lastError()));
    return false;
}

bool QueueJournal::WriteChanges()
{
    if (!Begin())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlError error;
    bool ok = true;
    for (auto noted = m_changes.cbegin(); ok && noted != m_changes.cend(); ++noted)
        ok = WriteChange(*noted, error);
    if (ok || error.isValid())
        return Finish(db, ok, error);
    // No room left between two keys (or keys out of step): the whole queue is written afresh.
    db.rollback();
    return RewriteAll();
}

// One statement a change: the entry's own row, found by its key.
bool QueueJournal::WriteChange(const Noted &noted, QSqlError &error)
{
    Statements &st = *m_statements;
    const size_t pos = size_t(noted.change.position);
    // A key list out of step with the queue is mended by writing it afresh.
    if (pos > m_places.size() ||
        (pos == m_places.size() && noted.change.kind != ReservationQueue::Change::Inserted))
        return false;
    QSqlQuery *query = nullptr;
    switch (noted.change.kind) {
    case ReservationQueue::Change::Inserted: {
        const qint64 before = pos > 0 ? m_places[pos - 1] : 0;
        const qint64 after = pos < m_places.size() ? m_places[pos] : before + 2 * kPlaceGap;
        if (after - before < 2)
            return false;
        const qint64 place = before + (after - before) / 2;
        m_places.insert(m_places.begin() + qsizetype(pos), place);
        query = &st.insert;
        BindEntry(*query, noted.entry);
        query->bindValue(QStringLiteral(":place"), place);
        break;
    }
    case ReservationQueue::Change::Removed:
        query = &st.remove;
        query->bindValue(QStringLiteral(":place"), m_places[pos]);
        m_places.erase(m_places.begin() + qsizetype(pos));
        break;
    case ReservationQueue::Change::Updated:
        query = &st.update;
        BindEntry(*query, noted.entry);
        query->bindValue(QStringLiteral(":place"), m_places[pos]);
        break;
    case ReservationQueue::Change::Reset:
        return true; // noted as a rewrite, never here
    }
    if (query->exec())
        return true;
    error = query->lastError();
    return false;
}

bool QueueJournal::RewriteAll()
{
    if (!Begin())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery clear(db);
    QSqlQuery &insert = m_statements->insert;
    bool ok = clear.exec(QStringLiteral("DELETE FROM entries"));
    QSqlError error = clear.lastError();
    m_places.clear();
    for (int i = 0; ok && i < m_queue.count(); ++i) {
        m_places.push_back((i + 1) * kPlaceGap);
        BindEntry(insert, m_queue.entry(i));
        insert.bindValue(QStringLiteral(":place"), m_places.back());
        ok = insert.exec();
        error = insert.lastError();
    }
    return Finish(db, ok, error);
}

// Commits what the statements wrote, or takes it all back and says why.
bool QueueJournal::Finish(QSqlDatabase &db, bool written, const QSqlError &error)
{
    QSqlQuery &commit = m_statements->commit;
    if (written && commit.exec())
        return true;
    SetProblem(ErrorText(written ? commit.lastError() : error));
    db.rollback();
    return false;
}

void QueueJournal::SetProblem(const QString &problem)
{
    if (problem == m_problem)
        return;
    const bool wasKept = m_problem.isEmpty();
    m_problem = problem;
    if (!problem.isEmpty())
        WriteLog("The queue is not being kept: %s.", qUtf8Printable(problem));
    else if (!wasKept)
        WriteLog("The queue is kept in Queue.db again.");
    Q_EMIT problemChanged(problem);
}
