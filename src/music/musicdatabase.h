#pragma once

// The music data the program reads: the user's file, or the built-in data. Its tables and fields
// are in schema.h, reading them a record at a time in recordcursor.h.
#include "music/accessfile.h"
#include "music/recordcursor.h"
#include "music/schema.h"
#include "music/sqlitefile.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace velmora {

// A music database file opened for reading only under a connection name, with every check the
// program and the data checker share: what stands at the path, and what its header says it is.
// Either kind is read into memory (see SqliteFile and AccessFile).
class MusicFile
{
public:
    explicit MusicFile(AccessReading accessReading = {}) : m_access(std::move(accessReading)) {}
    // `accessBudgetMs`: see AccessFile::open.
    Expected<void> open(const QString &connectionName, const QString &fileName, int accessBudgetMs = -1);
    void close();
    // True while the file stands as it did at the open.
    bool unchanged() const;

private:
    SqliteFile m_sqlite;
    AccessFile m_access;
    bool m_isAccess = false;
};

// Opens "Chords-VB.mdb" read-only when it is a usable SQLite or Access database, and otherwise the
// music data built into the program, held in memory. Looks at the file again at every press, so
// that a file replaced, removed, unlocked or edited is used as it is now.
class MusicDatabase
{
public:
    static constexpr const char *DefaultFileName = "Chords-VB.mdb";
    static constexpr std::chrono::milliseconds DrawReadBudget = velmora::DrawReadBudget;
    // How long a refused file must have been left unchanged before it is read again.
    static constexpr std::chrono::milliseconds SettleTime{2000};
    // What reading an Access file may add to start-up; one that needs more is read at the first
    // press, which may take the reader's whole deadline.
    static constexpr std::chrono::milliseconds StartUpAccessBudget{1200};

    explicit MusicDatabase(AccessReading accessReading = {});
    ~MusicDatabase();
    MusicDatabase(const MusicDatabase &) = delete;
    MusicDatabase &operator=(const MusicDatabase &) = delete;

    // What to say once about the file while the data serves: why it was passed over for the
    // built-in data. Empty when there is nothing to say.
    using Notice = QString;

    // Uses the file when it can: a file that cannot be used is the notice, and the built-in data
    // serves until the file changes. Fails only while the file is locked (Cause::Locked), when it
    // is tried again at the next draw. Opening the built-in data cannot fail short of a broken build.
    Expected<Notice> open(const QString &fileName = QString::fromLatin1(DefaultFileName));
    // The same for the first file of `search` that exists; the search runs again at every draw,
    // so a file that appears earlier in it, or disappears, is used or left from the next one on.
    Expected<Notice> open(const QStringList &search);

    // Before every draw that reads data: the file as it is now. A failure (a file locked, or
    // unreadable as it is now) means the draw cannot go on.
    Expected<Notice> refresh();
    // What an open or a refresh leaves to say once: its failure, or its notice.
    static QString toSay(const Expected<Notice> &found) { return found ? *found : found.error(); }

    bool usingBuiltIn() const { return m_state == State::BuiltIn; }
    const QString &connectionName() const { return m_connectionName; }

    // That the tables and fields the exercises read are present and can be drawn from.
    static Expected<void> checkSchema(const QString &connectionName);
    // That no text holds a NUL character, which is damage in either kind of file; checked at every
    // reading of the file.
    static Expected<void> checkText(const QString &connectionName);

private:
    enum class State { BuiltIn, File, Retry };
    enum class Moment { StartUp, Press };
    Expected<Notice> load(Moment moment);
    void openBuiltIn();
    void closeConnection();

    struct Refused
    {
        QString fileName;
        PathLook::Kind kind;
        FileIdentity identity;
        QString reason;
        friend bool operator==(const Refused &, const Refused &) = default;
    };

    QString m_connectionName;
    QStringList m_search;
    QString m_fileName; // the first of m_search that exists, or empty
    State m_state = State::BuiltIn;
    MusicFile m_file;
    std::optional<Refused> m_refused; // the file found unusable, said once; built-in data serves
};

} // namespace velmora
