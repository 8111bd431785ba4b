#pragma once

#include <chrono>

#include "music/accessfile.h"
#include "music/expected.h"
#include "music/sqlitefile.h"

#include <QObject>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>

namespace velmora {

class RandomSource;

namespace tables {
inline const QString Ladders = QStringLiteral("Ladders");
inline const QString ChordKinds = QStringLiteral("chort-sort");
inline const QString Intervals = QStringLiteral("Intervallen");
} // namespace tables

// The fields the exercises read, beside the degree fields of "Ladders" below.
namespace fields {
inline const QString Key = QStringLiteral("Toonsoort");          // Ladders
inline const QString ChordKind = QStringLiteral("plugin");       // chort-sort
inline const QString IntervalName = QStringLiteral("Interval_uk"); // Intervallen
inline const QString Top = QStringLiteral("Top");                // Intervallen: the Ladders field that answers
inline const QString Direction = QStringLiteral("direction");    // Intervallen
} // namespace fields

// The message for a table without records, wherever it is found.
QString noRecordsMessage(const QString &table);

// The scale-degree fields of "Ladders" that the exercises read; a usable database has them all.
const QStringList &degreeFields();

QString quotedIdentifier(const QString &name);

// A field's index by its exact name (QSqlRecord::indexOf ignores case), or -1.
int exactFieldIndex(const QSqlRecord &record, const QString &name);

// The tables the exercises read, in the order the data checker reports them.
const QStringList &musicTables();

// A music database file opened for reading only under a connection name, with every check the
// program and the data checker share: what stands at the path, and what its header says it is.
// An SQLite file is read in place; an Access (Jet 3 or 4) file is read into memory (see AccessFile).
class MusicFile
{
public:
    OpenedFile open(const QString &connectionName, const QString &fileName);
    void close();
    // True while the file stands as it did at the open.
    bool unchanged() const;

private:
    SqliteFile m_sqlite;
    AccessFile m_access;
    bool m_isAccess = false;
};

// One record fetched from a table. Fields are looked up by name in what was fetched, so a field
// name that comes from the data never reaches SQL text.
class DrawnRecord
{
public:
    DrawnRecord() = default;
    DrawnRecord(QString table, QSqlRecord record) : m_table(std::move(table)), m_record(std::move(record)) {}

    Expected<QString> field(const QString &name) const;
    const QString &table() const { return m_table; }

private:
    QString m_table;
    QSqlRecord m_record;
};

// A cursor on one table. Every call runs its own query and finishes it before returning, so no
// snapshot or lock outlives a press, and every press sees the table as it is now.
class RecordCursor : public QObject
{
    Q_OBJECT
public:
    RecordCursor(QString connectionName, QString table, QObject *parent = nullptr);

    const QString &table() const { return m_table; }
    const QString &connectionName() const { return m_connectionName; }

    Expected<int> count() const;
    // Moves to record k = Int(count x r + 1) - 1 of the table's rowid order.
    Expected<DrawnRecord> draw(int count, double r);
    // Counts, re-seeds the generator and draws: a go button's first step.
    Expected<DrawnRecord> countAndDraw(RandomSource &random);

    // Decides from a record's `fieldNames` values (in that order) whether a search may end on it.
    using RecordTest = std::function<bool(const QVariantList &values)>;
    // One pass over the table for what a redraw-until-`ends` loop would give: a record drawn
    // uniformly among those it would end on (fresh uniform draws, repeated until one ends the
    // loop, end on each such record equally often). Fails with an empty reason when no record
    // would end it; a missing field ends it at once, as the loop would at its first record.
    Expected<DrawnRecord> drawAmong(const QStringList &fieldNames, const RecordTest &ends, double r);

private:
    QString m_connectionName;
    QString m_table;
};

// One consistent view of the tables for the length of a press, what a press counts being what it
// draws from, and a budget in time for the press's reading (a view in a changed file may never end).
class PressSnapshot
{
public:
    explicit PressSnapshot(const RecordCursor &cursor);
    ~PressSnapshot();
    PressSnapshot(const PressSnapshot &) = delete;
    PressSnapshot &operator=(const PressSnapshot &) = delete;

private:
    SqliteFile::ReadBudget m_budget; // a press's reading ends within it, or fails
    QString m_connectionName;
    bool m_began;
};

// Opens "Chords-VB.mdb" read-only when it is a usable SQLite or Access database, and otherwise the
// music data built into the program, held in memory. Looks at the file again at every press, so
// that a file replaced, removed, unlocked or edited is used as it is now.
class MusicDatabase
{
public:
    static constexpr const char *DefaultFileName = "Chords-VB.mdb";
    // What a press may spend reading the file (PressSnapshot); a statement still running then
    // fails the press.
    static constexpr std::chrono::milliseconds PressReadBudget{500};
    // How long a refused file must have been left unchanged before it is read again.
    static constexpr std::chrono::milliseconds SettleTime{2000};

    MusicDatabase();
    ~MusicDatabase();
    MusicDatabase(const MusicDatabase &) = delete;
    MusicDatabase &operator=(const MusicDatabase &) = delete;

    // Returns the problem with the file, empty when it was used or absent; on a problem the
    // built-in data serves until the file changes, except while the file is locked, when it is
    // tried again at the next press. Opening the built-in data cannot fail short of a broken build.
    QString open(const QString &fileName = QString::fromLatin1(DefaultFileName));
    // The same for the first file of `search` that exists; the search runs again at every press,
    // so a file that appears earlier in it, or disappears, is used or left from the next press on.
    QString open(const QStringList &search);

    // What the start of a press found: a message to show (once), and whether the press can go on.
    struct PressCheck
    {
        QString message;
        bool ready = true;
    };
    // At the start of every press that reads data.
    PressCheck refresh();

    bool usingBuiltIn() const { return m_state == State::BuiltIn; }
    const QString &connectionName() const { return m_connectionName; }

    // Checks that the tables and fields the exercises read are present and can be drawn from.
    static QString schemaProblem(const QString &connectionName);

private:
    enum class State { BuiltIn, File, Retry };
    enum class Moment { StartUp, Press };
    PressCheck load(Moment moment);
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
