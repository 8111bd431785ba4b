#include "music/files/userfiles.h"

#include "music/sqlitefile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace velmora {

namespace {

// A name that is not UTF-8 does not survive a QString: what it names is then opened by its bytes,
// held open while the program runs, and reached through its descriptor, whose /proc name is
// plain ASCII. A directory reached so keeps its files' "-journal" and "-wal" beside them.
struct Held
{
    QByteArray bytes;
    int fd;
    QString name() const { return QStringLiteral("/proc/self/fd/%1").arg(fd); }
};
std::vector<Held> held;

bool survivesQString(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QString holdOpen(const QByteArray &bytes, int flags)
{
    for (const Held &h : held) {
        if (h.bytes == bytes)
            return h.name();
    }
    const int fd = ::open(bytes.constData(), O_PATH | O_CLOEXEC | flags);
    if (fd < 0)
        return {};
    held.push_back({bytes, fd});
    return held.back().name();
}

} // namespace

QString userDataDirectory()
{
    // The generic location and a name of our own, rather than AppDataLocation, so that the place
    // does not depend on the running program's name (the tests' programs have other names).
    const QString decoded = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("velmora"));
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || !base.startsWith('/'))
        base = qgetenv("HOME") + "/.local/share";
    const QByteArray bytes = base + "/velmora";
    if (survivesQString(bytes))
        return decoded;
    const QString reached = holdOpen(bytes, O_DIRECTORY);
    return reached.isEmpty() ? decoded : reached;
}

QString builtInAsset(const QString &relativePath)
{
    return QStringLiteral(":/") + relativePath;
}

QString pathFromBytes(const QByteArray &bytes)
{
    if (survivesQString(bytes))
        return QFile::decodeName(bytes);
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray base = bytes.mid(slash + 1);
    if (slash >= 0 && survivesQString(base)) {
        const QString directory = holdOpen(slash == 0 ? QByteArray("/") : bytes.left(slash), O_DIRECTORY);
        if (!directory.isEmpty())
            return directory + QLatin1Char('/') + QFile::decodeName(base);
    }
    // Its own name is not UTF-8: the file itself is held. Nothing beside it can then be found.
    const QString reached = holdOpen(bytes, 0);
    return reached.isEmpty() ? QFile::decodeName(bytes) : reached;
}

QString shownPath(const QString &path)
{
    for (const Held &h : held) {
        const QString name = h.name();
        if (path == name || path.startsWith(name + QLatin1Char('/')))
            return QFile::decodeName(h.bytes) + path.mid(name.size());
    }
    return path;
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
