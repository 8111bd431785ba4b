#include "music/files/filecheck.h"

#include "music/accesswire.h"
#include "music/messages.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

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

} // namespace

std::optional<FileIdentity> identityAt(const QString &fileName)
{
    struct stat st {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return identityOf(st);
}

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

Expected<DatabaseHeader> readDatabaseHeader(const QString &fileName)
{
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer forever.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Failure{systemError(errno) + QLatin1Char('.')};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        // Said as it is: a zeroed stat would pass for "not a regular file".
        const QString reason = systemError(errno) + QLatin1Char('.');
        ::close(fd);
        return Failure{reason};
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return Failure{notAFileReason(st.st_mode)};
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
            return Failure{reason};
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
    return header;
}

std::optional<FileIdentity> openRegular(QFile &file, const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, O_RDONLY) != 0
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return identityOf(st);
}

} // namespace velmora
