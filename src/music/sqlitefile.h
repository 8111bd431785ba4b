#pragma once

#include "music/files/filecheck.h"
#include "music/messages.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QSqlError;

namespace velmora {

class PrivateFolder;

// Closes and forgets the connection `name`, if there is one.
void removeConnection(const QString &name);

// Makes every file SQLite opens in this process open without waiting, and refuses a named pipe,
// so that one swapped in after lookAt() cannot hang a press. Called before the first open.
void guardSqliteOpens();

// An SQLite database file read, checked and copied whole into memory under a connection name,
// creating and changing no file beside it, and able to say whether the file it read still stands
// as it was. The file itself is held only while it is read: presses read the copy.
//
// Which open reads which file:
//  - rollback journal (the usual mode): a read-only open. SQLite honours other programs' locks;
//    a lock costs at most ReadWaitMs.
//  - WAL mode without a "-wal" file: every committed edit is in the file itself, and a read-only
//    open would create the "-wal" and "-shm" files, so the open is immutable, which creates
//    nothing. A writer that starts later creates a "-wal" file, which changes the identity.
//  - WAL mode with a "-wal" file: committed edits may be in it, and reading it needs the "-shm"
//    index, which SQLite would create or update. The file and its "-wal" are copied into a
//    private directory and the copy is opened; a copy taken while a writer changed either file is
//    taken again.
//  - Every statement on the file and on its copy has a budget in time and in size: a text or blob longer than
//    MaxValueBytes (a generated column that builds a gigabyte, say) ends the statement, and so
//    does running past a ReadBudget (a view that recurses, a join that
//    explodes). Either fails the read with SQLite's own message. The checker, which reads all and
//    may take long, runs without a time limit: a view, the one way to make a read endless, is
//    refused by the schema check it makes first.
class SqliteFile
{
public:
    static constexpr int ReadWaitMs = 1000;
    static constexpr int MaxValueBytes = 1 << 20; // no name or note of the music data comes near it
    static constexpr std::chrono::milliseconds OpenBudget{5000};

    // While one lives, statements on any open file end once its budget has passed; outside
    // them statements have no time limit.
    class ReadBudget
    {
    public:
        explicit ReadBudget(std::chrono::milliseconds budget);
        ~ReadBudget();
        ReadBudget(const ReadBudget &) = delete;
        ReadBudget &operator=(const ReadBudget &) = delete;
    };

    SqliteFile();
    ~SqliteFile();
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    // Opens `fileName` as `connectionName` and checks every page (quick_check), so that a lock or
    // a damaged file shows here.
    Expected<void> open(const QString &connectionName, const QString &fileName, const DatabaseHeader &header);
    void close();

    // True while the file (and its "-wal" file) stand as they did at the open.
    bool unchanged() const;

private:
    QString m_connectionName;
    QString m_fileName;
    FileIdentity m_identity;
    bool m_writeAheadLog = false;
    std::optional<FileIdentity> m_walIdentity;
    std::unique_ptr<PrivateFolder> m_copy;
};

} // namespace velmora
