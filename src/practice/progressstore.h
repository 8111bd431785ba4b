#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace velmora {

// A question of a tab, as the mastery map places it: Chords a key and a chord kind, Relations a
// major key and "major" or "minor", Transpose a written note and an instrument pair, Intervals a
// start note and an interval with its direction.
struct QuestionCell
{
    QString row;
    QString column;
    friend bool operator==(const QuestionCell &, const QuestionCell &) = default;
};
inline size_t qHash(const QuestionCell &cell, size_t seed = 0)
{
    return qHashMulti(seed, cell.row, cell.column);
}

// One judged answer, as it is kept.
struct KeptAnswer
{
    QDateTime at;
    QString tab;
    QuestionCell question;
    QString given;
    bool right = false;
    bool first = false;    // the question's first judged answer
    bool revealed = false; // the answer had been shown before
    qint64 ms = 0;         // from the question being shown to the answer
};

// How a question has gone: first judged answers, those right, and their time.
struct CellFigures
{
    int asked = 0;
    int right = 0;
    qint64 ms = 0;
};

// Where a question stands in the weak-spot scheme, kept between starts.
struct SpotState
{
    QString tab;
    QuestionCell question;
    int box = 2;
    int due = -1;     // the tab's question count at which it is asked again; -1 when not scheduled
    int spacing = 0;
};

// The player's kept progress: one SQLite file of the program's own, its answers, its settings and
// where each question stands, written as the player goes (WAL journal, synchronous NORMAL: an
// answer is committed before the next press, and a power cut never damages the file). A file that
// cannot be used is named once and left as it is; a damaged one is moved aside with the date in
// its name. Nothing from the file ever reaches SQL text, and it is read only as its own schema says.
class ProgressStore
{
public:
    static constexpr int Version = 1;               // PRAGMA user_version of the files this program writes
    static constexpr qint64 MaxBytes = 256LL << 20; // a larger file is not ours to read
    static constexpr int BusyWaitMs = 100;          // the most an answer waits for another program's lock

    ProgressStore();
    ~ProgressStore();
    ProgressStore(const ProgressStore &) = delete;
    ProgressStore &operator=(const ProgressStore &) = delete;

    // $XDG_DATA_HOME/velmora/progress.sqlite
    static QString defaultPath();

    // Opens the file, or makes it; empty when it can be used, else the reason in a sentence. A quick
    // open (at start, to read the settings) leaves the check of every page to verify().
    enum class Check { Whole, Quick };
    QString open(const QString &path, Check check = Check::Whole);
    QString verify();
    // Reads the settings of a file that is there, writing nothing beside it.
    static QHash<QString, QString> peekSettings(const QString &path);
    // Stops keeping without deleting: the file left as a plain database, no journal beside it.
    void setAside();
    bool isOpen() const { return !m_connection.isEmpty(); }
    const QString &path() const { return m_path; }
    void close();
    // Closes the file and deletes it with its journal.
    bool forget();

    // Kept now, or, while another program holds the file, with the next answer: none is dropped.
    // Empty while all is well, else the reason the file can no longer be written (said once).
    QString keep(const KeptAnswer &answer);
    int waitingAnswers() const { return int(m_waiting.size()); }

    QHash<QString, QString> settings() const;
    QString setSettings(const QHash<QString, QString> &values);

    std::vector<SpotState> spots() const;
    QString setSpot(const SpotState &spot);

    // First judged answers per question of `tab` since `since` (all of them when invalid).
    QHash<QuestionCell, CellFigures> figures(const QString &tab, const QDateTime &since) const;

    // Every kept answer as CSV: a header row, one row an answer, RFC 4180 quoting, and a leading
    // apostrophe on a cell a spreadsheet would take for a formula.
    bool exportCsv(const QString &fileName) const;

private:
    QString flush();
    QString failed(const QString &reason);

    QString m_path;
    QString m_connection;
    std::vector<KeptAnswer> m_waiting;
};

} // namespace velmora
