#pragma once

#include "music/expected.h"

// What stands at a path and what a music file says it is, looked at without opening anything
// that could make the program wait.
#include <QString>

class QFile;

#include <optional>

namespace velmora {

// What the file system says about one file now; a file replaced, edited or truncated differs.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// What stands at a path, without opening it (opening a named pipe would wait for a writer).
struct PathLook
{
    enum class Kind {
        Absent,      // nothing there, or a directory on the way is missing
        Regular,     // a regular file, `identity` set (a symbolic link is followed)
        BrokenLink,  // a symbolic link to nothing, or one that leads round in a loop; see `reason`
        NotAFile,    // a directory, named pipe, device or socket; see `reason`
        Unreadable,  // the file system refused to say; see `reason`
    };
    Kind kind = Kind::Absent;
    FileIdentity identity;
    QString reason;
};
PathLook lookAt(const QString &fileName);

// What the first bytes of a database file say it is; the reason when it cannot be read.
enum class DatabaseFileKind { Sqlite, Access, AccessAce, Other };
struct DatabaseHeader
{
    DatabaseFileKind kind = DatabaseFileKind::Other;
    bool writeAheadLog = false; // an SQLite file in WAL journal mode
    int jetVersion = -1;        // an Access file's format: 0 Jet 3 (Access 97), 1 Jet 4 (2000-2003)
    FileIdentity identity;      // of the file the header was read from
};

// Reads without waiting: a special file is refused, never opened for a blocking read.
Expected<DatabaseHeader> readDatabaseHeader(const QString &fileName);

// The identity of the regular file at `fileName`, if one is there.
std::optional<FileIdentity> identityAt(const QString &fileName);

// Opens `path` into `file` for reading only if it is a regular file, never waiting (a named pipe
// put in its place since it was looked at would make a plain open wait for a writer forever),
// and gives the identity of what it opened.
std::optional<FileIdentity> openRegular(QFile &file, const QString &path);

} // namespace velmora
