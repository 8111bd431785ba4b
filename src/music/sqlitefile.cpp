#include "music/sqlitefile.h"

#include "music/files/privatefolder.h"

#include "music/accesswire.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sqlite3.h>

namespace velmora {

namespace {

// A file and its log copied while another program writes them are copied again, this often.
constexpr int CopyAttempts = 5;

// Statements on a file stop here: see setReadBudget.
QDeadlineTimer readDeadline{QDeadlineTimer::Forever};
constexpr int ProgressSteps = 10000; // virtual machine steps between looks at the clock

int onProgress(void *)
{
    return readDeadline.hasExpired() ? 1 : 0;
}

bool copyRegular(const QString &from, const QString &to)
{
    QFile in, out(to);
    if (!openRegular(in, from) || !out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 16);
        if (block.isEmpty() || out.write(block) != block.size())
            return false;
    }
    return true;
}

// SQLite opens the path itself, after our look at it: its own opens are made never to wait on a
// named pipe swapped in meanwhile (a pipe is refused as no such device), the rest unchanged.
sqlite3_syscall_ptr sqliteOpen = nullptr;

int openNeverWaiting(const char *path, int flags, int mode)
{
    const int fd = reinterpret_cast<int (*)(const char *, int, int)>(sqliteOpen)(path, flags | O_NONBLOCK, mode);
    if (fd < 0)
        return fd;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode)) {
        ::close(fd);
        errno = ENXIO;
        return -1;
    }
    if (!(flags & O_NONBLOCK))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Copies the "-wal" file's header and the frames SQLite would read: those after it that carry its
// salts and a page number. The first frame that does not ends the log for SQLite too, so a file
// grown (or made sparse) far beyond its frames costs no more than they do.
bool copyWalFrames(const QString &from, const QString &to)
{
    QFile in;
    QFile out(to);
    if (!openRegular(in, from) || !out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 HeaderBytes = 32;
    constexpr qint64 FrameHeaderBytes = 24;
    const QByteArray header = in.read(HeaderBytes);
    if (header.size() < HeaderBytes)
        return out.write(header) == header.size(); // SQLite treats it as an empty log
    const auto word = [](const QByteArray &bytes, int at) { return qFromBigEndian<quint32>(bytes.constData() + at); };
    const quint32 pageSize = word(header, 8) == 1 ? 65536 : word(header, 8);
    if (out.write(header) != HeaderBytes)
        return false;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return true; // not a log SQLite would read past its header
    for (;;) {
        const QByteArray frame = in.read(FrameHeaderBytes + pageSize);
        if (frame.size() < FrameHeaderBytes + qint64(pageSize) || word(frame, 0) == 0 || word(frame, 8) != word(header, 16)
            || word(frame, 12) != word(header, 20))
            return true;
        if (out.write(frame) != frame.size())
            return false;
    }
}



sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// Every statement on the connection within the value and time budgets.
void bound(const QSqlDatabase &db)
{
    if (sqlite3 *connection = handleOf(db)) {
        sqlite3_limit(connection, SQLITE_LIMIT_LENGTH, SqliteFile::MaxValueBytes);
        sqlite3_progress_handler(connection, ProgressSteps, &onProgress, nullptr);
    }
}

Expected<void> failure(const QSqlError &error, const QString &fileName)
{
    return Failure{isLockError(error) ? Cause::Locked : Cause::Unreadable, sqliteCause(error, fileName) + QLatin1Char('.')};
}

} // namespace


SqliteFile::SqliteFile() = default;

SqliteFile::~SqliteFile()
{
    close();
}

void removeConnection(const QString &name)
{
    if (name.isEmpty() || !QSqlDatabase::contains(name))
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

void SqliteFile::close()
{
    removeConnection(m_connectionName);
    m_connectionName.clear();
    m_copy.reset();
    m_walIdentity.reset();
}

Expected<void> SqliteFile::open(const QString &connectionName, const QString &fileName,
                                    const DatabaseHeader &header)
{
    close();
    m_connectionName = connectionName;
    m_fileName = fileName;
    m_identity = header.identity;
    m_writeAheadLog = header.writeAheadLog;
    const QString wal = fileName + QStringLiteral("-wal");

    QString databaseName = fileName;
    QString options = QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(ReadWaitMs);
    if (m_writeAheadLog) {
        m_walIdentity = identityAt(wal);
        if (!m_walIdentity) {
            // A relative URI is resolved from the working directory, whatever bytes its name holds.
            databaseName = QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(fileName, "/"))
                + QStringLiteral("?mode=ro&immutable=1");
            options += QStringLiteral(";QSQLITE_OPEN_URI");
        } else {
            m_copy = std::make_unique<PrivateFolder>();
            const QString copy = m_copy->filePath(QStringLiteral("music.sqlite"));
            bool steady = false;
            for (int attempt = 0; attempt < CopyAttempts && !steady; ++attempt) {
                QFile::remove(copy);
                QFile::remove(copy + QStringLiteral("-wal"));
                if (!m_copy->isValid() || !copyRegular(fileName, copy) || !copyWalFrames(wal, copy + QStringLiteral("-wal")))
                    return Failure{Cause::Unreadable, QStringLiteral("it is in WAL mode, and no private copy of it and its "
                                                         "\"-wal\" file could be made to read them.")};
                const std::optional<FileIdentity> after = identityAt(fileName);
                steady = after && *after == m_identity && identityAt(wal) == m_walIdentity;
                if (!steady) {
                    m_identity = after.value_or(FileIdentity{});
                    m_walIdentity = identityAt(wal);
                }
            }
            if (!steady)
                return Failure{Cause::Locked, QStringLiteral("another program kept changing it while it was read; try again in a moment.")};
            // The copy is ours: SQLite may build its index beside it.
            databaseName = copy;
            options = QString();
        }
    }

    guardSqliteOpens();
    // The file is read once, into memory, and presses read the copy: another program saving the
    // file meets Velmora's lock only while the copy is made, once per change of the file.
    const QString fileConnection = connectionName + QStringLiteral("-file");
    const auto dropFile = qScopeGuard([&] {
        removeConnection(fileConnection);
        m_copy.reset();
    });
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), fileConnection);
        db.setDatabaseName(databaseName);
        db.setConnectOptions(options);
        if (!db.open())
            return failure(db.lastError(), fileName);
        bound(db);
        const ReadBudget budget(OpenBudget);
        // A generated field is computed by the check below, at whatever cost the file sets; such a
        // file is refused by the schema check that follows the open, unchecked.
        QSqlQuery generated(db);
        if (!generated.exec(QStringLiteral("SELECT 1 FROM sqlite_master AS t, pragma_table_xinfo(t.name) AS c "
                                           "WHERE t.type = 'table' AND c.hidden >= 2 LIMIT 1")))
            return failure(generated.lastError(), fileName);
        if (!generated.next()) {
            // Reading every page once here names damage before a press meets it, and a lock as a lock.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("PRAGMA quick_check(1)")) || !probe.next())
                return failure(probe.lastError(), fileName);
            if (const QString verdict = probe.value(0).toString(); verdict != QLatin1String("ok")) {
                return Failure{Cause::Unreadable,
                        QStringLiteral("the file is damaged; open it in the program that made it, or put back a good "
                                       "copy (SQLite found: %1).")
                            .arg(shortened(verdict))};
            }
        }
        generated.finish();
        QSqlDatabase memory = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        memory.setDatabaseName(QStringLiteral(":memory:"));
        if (!memory.open())
            return failure(memory.lastError(), fileName);
        bound(memory);
        sqlite3_backup *copy = sqlite3_backup_init(handleOf(memory), "main", handleOf(db), "main");
        const int result = copy ? sqlite3_backup_step(copy, -1) : sqlite3_errcode(handleOf(memory));
        sqlite3_backup_finish(copy);
        if (result != SQLITE_DONE) {
            memory.close();
            memory = QSqlDatabase();
            removeConnection(connectionName);
            return failure(QSqlError(QString(), QString::fromUtf8(sqlite3_errstr(result)), QSqlError::ConnectionError,
                                     QString::number(result)),
                           fileName);
        }
        // Read-only as the file is: the copy stands for it.
        QSqlQuery(memory).exec(QStringLiteral("PRAGMA query_only = ON"));
    }
    return {};
}

void guardSqliteOpens()
{
    static const bool guarded = [] {
        sqlite3_vfs *unix = sqlite3_vfs_find("unix");
        if (!unix || unix->iVersion < 3 || !unix->xSetSystemCall)
            return false;
        sqliteOpen = unix->xGetSystemCall(unix, "open");
        return sqliteOpen && unix->xSetSystemCall(unix, "open", reinterpret_cast<sqlite3_syscall_ptr>(&openNeverWaiting)) == SQLITE_OK;
    }();
    Q_UNUSED(guarded);
}

bool SqliteFile::unchanged() const
{
    if (identityAt(m_fileName) != m_identity)
        return false;
    return !m_writeAheadLog || identityAt(m_fileName + QStringLiteral("-wal")) == m_walIdentity;
}

SqliteFile::ReadBudget::ReadBudget(std::chrono::milliseconds budget)
{
    readDeadline = QDeadlineTimer(budget);
}

SqliteFile::ReadBudget::~ReadBudget()
{
    readDeadline = QDeadlineTimer(QDeadlineTimer::Forever);
}

} // namespace velmora
