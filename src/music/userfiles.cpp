#include "music/userfiles.h"

#include "music/sqlitefile.h"

#include <QDir>
#include <QStandardPaths>

namespace velmora {

QString userDataDirectory()
{
    // The generic location and a name of our own, rather than AppDataLocation, so that the place
    // does not depend on the running program's name (the tests' programs have other names).
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("velmora"));
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
