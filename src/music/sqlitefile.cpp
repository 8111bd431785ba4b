#include "music/sqlitefile.h"

#include "music/accesswire.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// Opens `path` for reading only if it is a regular file, never waiting: a named pipe put in its
// place since it was looked at would make a plain open wait for a writer forever.
bool openRegular(QFile &file, const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, O_RDONLY) != 0) {
        ::close(fd);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
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



FileIdentity identityOf(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notAFileReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file.");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a file.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a file.");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a file.");
    return QStringLiteral("it is not a regular file.");
}

std::optional<FileIdentity> identityAt(const QString &fileName)
{
    struct stat st {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return identityOf(st);
}

// SQLite's primary result codes, as the Qt driver reports them.
enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, IoError = 10, Corrupt = 11, CantOpen = 14, NotADatabase = 26 };

int codeOf(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

// An error that passes by itself: another program holds the file locked.
bool isLockError(const QSqlError &error)
{
    const int code = codeOf(error);
    return code == Busy || code == Locked;
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

OpenedFile failure(const QSqlError &error, const QString &fileName)
{
    return {isLockError(error) ? OpenedFile::Status::Locked : OpenedFile::Status::Unreadable,
            sqliteCause(error, fileName) + QLatin1Char('.')};
}

} // namespace

PathLook lookAt(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) {
        if (S_ISREG(st.st_mode))
            return {PathLook::Kind::Regular, identityOf(st), {}};
        return {PathLook::Kind::NotAFile, {}, notAFileReason(st.st_mode)};
    }
    const int error = errno;
    struct stat link {};
    const bool isLink = ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode);
    if (error == ELOOP)
        return {PathLook::Kind::BrokenLink, {}, QStringLiteral("it is a symbolic link that leads round in a loop.")};
    if (error == ENOENT && isLink) {
        char target[4096];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        const QString to = QFile::decodeName(QByteArray(target, int(std::max<ssize_t>(length, 0))));
        return {PathLook::Kind::BrokenLink, {},
                QStringLiteral("it is a symbolic link to \"%1\", which does not exist.").arg(shortened(to))};
    }
    if (error == ENOENT || error == ENOTDIR)
        return {PathLook::Kind::Absent, {}, {}};
    return {PathLook::Kind::Unreadable, {}, systemError(error) + QLatin1Char('.')};
}

HeaderResult readDatabaseHeader(const QString &fileName)
{
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer forever.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, systemError(errno) + QLatin1Char('.')};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        // Said as it is: a zeroed stat would pass for "not a regular file".
        const QString reason = systemError(errno) + QLatin1Char('.');
        ::close(fd);
        return {std::nullopt, reason};
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return {std::nullopt, notAFileReason(st.st_mode)};
    }
    char bytes[100] = {};
    ssize_t got = 0;
    while (got < ssize_t(sizeof bytes)) {
        const ssize_t n = ::read(fd, bytes + got, sizeof bytes - size_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const QString reason = systemError(errno) + QLatin1Char('.');
            ::close(fd);
            return {std::nullopt, reason};
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);

    DatabaseHeader header;
    header.identity = identityOf(st);
    const QByteArray start(bytes, int(got));
    if (start.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        header.kind = DatabaseFileKind::Sqlite;
        // Bytes 18 and 19 are the write and read format versions: 2 means WAL mode.
        header.writeAheadLog = got >= 20 && (bytes[18] == 2 || bytes[19] == 2);
    } else if (start.mid(4, 15) == "Standard Jet DB") {
        header.kind = DatabaseFileKind::Access;
        // The format's version byte stands before the masked block begins.
        header.jetVersion = got > accesswire::VersionOffset ? int(static_cast<unsigned char>(bytes[accesswire::VersionOffset])) : -1;
    } else if (start.mid(4, 15) == "Standard ACE DB") {
        header.kind = DatabaseFileKind::AccessAce;
    }
    return {header, {}};
}


QString sqliteCause(const QSqlError &error, const QString &fileName)
{
    const QString sqlite = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    const QString says = QStringLiteral(" (SQLite says: %1)").arg(sqlite);
    switch (codeOf(error)) {
    case Busy:
    case Locked:
        return QStringLiteral("another program is saving the file right now and holds it locked; "
                              "try again when it has finished")
            + says;
    case Corrupt:
    case NotADatabase:
        return QStringLiteral("the file is damaged or cut short; open it in the program that made it, "
                              "or put back a good copy")
            + says;
    case ReadOnly:
        if (!fileName.isEmpty() && QFileInfo::exists(fileName + QStringLiteral("-journal"))) {
            return QStringLiteral("a program stopped in the middle of saving it, and its unfinished save "
                                  "(the file \"%1-journal\") must be undone by writing to the file, which "
                                  "Velmora never does; open the file once in sqlite3 or the program that "
                                  "saved it")
                       .arg(QFileInfo(fileName).fileName())
                + says;
        }
        return QStringLiteral("it could only be read by writing to it, which Velmora never does") + says;
    case IoError:
        return QStringLiteral("the disk would not give up its contents") + says;
    case CantOpen:
        return QStringLiteral("it cannot be opened") + says;
    default:
        return sqlite;
    }
}

QString shortened(const QString &value)
{
    constexpr int Longest = 80;
    QString text = value.size() > Longest ? value.left(Longest) + QStringLiteral("...") : value;
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

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

OpenedFile SqliteFile::open(const QString &connectionName, const QString &fileName,
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
            m_copy = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("velmora-XXXXXX")));
            const QString copy = m_copy->filePath(QStringLiteral("music.sqlite"));
            bool steady = false;
            for (int attempt = 0; attempt < CopyAttempts && !steady; ++attempt) {
                QFile::remove(copy);
                QFile::remove(copy + QStringLiteral("-wal"));
                if (!m_copy->isValid() || !copyRegular(fileName, copy) || !copyWalFrames(wal, copy + QStringLiteral("-wal")))
                    return {OpenedFile::Status::Unreadable, QStringLiteral("it is in WAL mode, and no private copy of it and its "
                                                         "\"-wal\" file could be made to read them.")};
                const std::optional<FileIdentity> after = identityAt(fileName);
                steady = after && *after == m_identity && identityAt(wal) == m_walIdentity;
                if (!steady) {
                    m_identity = after.value_or(FileIdentity{});
                    m_walIdentity = identityAt(wal);
                }
            }
            if (!steady)
                return {OpenedFile::Status::Locked, QStringLiteral("another program kept changing it while it was read; try again in a moment.")};
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
                return {OpenedFile::Status::Unreadable,
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
