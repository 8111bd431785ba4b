#include "music/userfiles.h"

#include "music/sqlitefile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace velmora {

namespace {

// The data directory when its name is not UTF-8: open, by its bytes.
struct HeldDirectory
{
    QByteArray bytes;
    int fd = -1;
    QString name() const { return QStringLiteral("/proc/self/fd/%1").arg(fd); }
} heldDirectory;

} // namespace

QString userDataDirectory()
{
    // The generic location and a name of our own, rather than AppDataLocation, so that the place
    // does not depend on the running program's name (the tests' programs have other names).
    const QString decoded = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("velmora"));
    // A name that is not UTF-8 does not survive a QString: the directory is then reached through
    // a descriptor of it, opened by its bytes and held open, whose /proc name is plain ASCII.
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || !base.startsWith('/'))
        base = qgetenv("HOME") + "/.local/share";
    const QByteArray bytes = base + "/velmora";
    if (QFile::encodeName(QFile::decodeName(bytes)) == bytes)
        return decoded;
    if (heldDirectory.fd >= 0 && heldDirectory.bytes != bytes) {
        ::close(heldDirectory.fd);
        heldDirectory.fd = -1;
    }
    if (heldDirectory.fd < 0) {
        heldDirectory.fd = ::open(bytes.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        heldDirectory.bytes = bytes;
    }
    return heldDirectory.fd >= 0 ? heldDirectory.name() : decoded;
}

QString shownPath(const QString &path)
{
    const QString held = heldDirectory.name();
    if (heldDirectory.fd < 0 || !path.startsWith(held + QLatin1Char('/')))
        return path;
    return QFile::decodeName(heldDirectory.bytes) + path.mid(held.size());
}

QStringList userFileSearch(const QString &relativePath)
{
    if (QDir::isAbsolutePath(relativePath))
        return {relativePath};
    return {relativePath, QDir(userDataDirectory()).filePath(relativePath)};
}

QString firstPresent(const QStringList &search)
{
    for (const QString &candidate : search) {
        if (lookAt(candidate).kind != PathLook::Kind::Absent)
            return candidate;
    }
    return {};
}

} // namespace velmora
