#include "practice/progressstore.h"

#include "music/messages.h"
#include "music/files/userfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>
#include <limits>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// The whole schema, as this program writes it: a file whose schema says anything else is another
// program's, or was changed behind our back, and is left alone.
const QStringList Schema{
    QStringLiteral("CREATE TABLE answers(at INTEGER NOT NULL, tab TEXT NOT NULL, row TEXT NOT NULL, col TEXT NOT NULL, "
                   "given TEXT NOT NULL, right INTEGER NOT NULL, first INTEGER NOT NULL, revealed INTEGER NOT NULL, "
                   "ms INTEGER NOT NULL)"),
    QStringLiteral("CREATE INDEX answers_at ON answers(tab, at)"),
    QStringLiteral("CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL)"),
    QStringLiteral("CREATE TABLE spots(tab TEXT NOT NULL, row TEXT NOT NULL, col TEXT NOT NULL, box INTEGER NOT NULL, "
                   "due INTEGER NOT NULL, spacing INTEGER NOT NULL, PRIMARY KEY(tab, row, col))"),
};

QString connectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("velmora-progress-%1").arg(next++);
}

QSqlDatabase database(const QString &name)
{
    return QSqlDatabase::database(name, false);
}

// What stands at `path` without following a link: nothing, a regular file, or something else.
enum class Found { Nothing, File, Other };
Found lookAt(const QString &path, qint64 *size = nullptr)
{
    struct stat seen{};
    if (lstat(QFile::encodeName(path).constData(), &seen) != 0)
        return Found::Nothing;
    if (size)
        *size = seen.st_size;
    return S_ISREG(seen.st_mode) ? Found::File : Found::Other;
}

// Moves a damaged file and its journal aside, never over another file.
QString moveAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100; ++n) {
        const QString aside = QStringLiteral("%1/progress-damaged-%2%3.sqlite")
                                  .arg(QFileInfo(path).path(), stamp, n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        if (renameat2(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD, QFile::encodeName(aside).constData(),
                      RENAME_NOREPLACE)
            == 0) {
            for (const char *journal : {"-wal", "-shm"}) {
                const QString from = path + QLatin1String(journal);
                if (lookAt(from) == Found::File)
                    renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                              QFile::encodeName(aside + QLatin1String(journal)).constData(), RENAME_NOREPLACE);
            }
            return aside;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

QString csvCell(QString text)
{
    // Texts come from the music file: one a spreadsheet would run as a formula is kept as text.
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return text;
}

} // namespace

ProgressStore::ProgressStore() = default;

ProgressStore::~ProgressStore()
{
    close();
}

QString ProgressStore::defaultPath()
{
    return QDir(userDataDirectory()).filePath(QStringLiteral("progress.sqlite"));
}

QString ProgressStore::open(const QString &path, Check check)
{
    close();
    m_path = path;
    const QString shown = shownPath(path);
    const QString folder = QFileInfo(path).path();
    if (lookAt(folder) == Found::Nothing)
        QDir().mkpath(folder);
    struct stat seen{};
    if (lstat(QFile::encodeName(folder).constData(), &seen) != 0 || !S_ISDIR(seen.st_mode))
        return QStringLiteral("Your progress cannot be kept: %1 is not a folder of its own.").arg(shownPath(folder));
    qint64 size = 0;
    switch (lookAt(path, &size)) {
    case Found::Other:
        return QStringLiteral("Your progress cannot be kept: %1 is not a plain file (a folder, a link or a pipe "
                              "stands there).").arg(shown);
    case Found::File:
        if (size > MaxBytes)
            return QStringLiteral("Your progress cannot be kept: %1 is larger than 256 MB.").arg(shown);
        if (size > 0) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) || file.read(16) != QByteArray("SQLite format 3", 16))
                return QStringLiteral("Your progress cannot be kept: %1 is not an SQLite file.").arg(shown);
        }
        break;
    case Found::Nothing:
        break;
    }

    const QString name = connectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyWaitMs));
        if (!db.open()) {
            const QString cause = sqliteCause(db.lastError(), shown);
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            return QStringLiteral("Your progress cannot be kept: %1.").arg(cause);
        }
    }
    m_connection = name;
    if (check == Check::Whole) {
        if (const QString damage = verify(); !damage.isEmpty())
            return damage;
    }
    QSqlDatabase db = database(name);
    QSqlQuery query(db);
    const auto refuse = [this, &db, &query](const QString &reason) {
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
        return reason;
    };
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return refuse(QStringLiteral("Your progress cannot be kept: %1.").arg(sqliteCause(query.lastError(), shown)));
    const int version = query.value(0).toInt();
    query.finish();
    if (version > Version)
        return refuse(QStringLiteral("Your progress cannot be kept: %1 was written by a newer Velmora, and is left "
                                     "as it is.").arg(shown));
    QStringList found;
    if (!query.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY rowid")))
        return refuse(QStringLiteral("Your progress cannot be kept: %1.").arg(sqliteCause(query.lastError(), shown)));
    while (query.next())
        found << query.value(0).toString();
    query.finish();
    if (version == 0 && found.isEmpty()) {
        // A file of our own, new: its schema and version in one transaction.
        db.transaction();
        for (const QString &statement : Schema) {
            if (!query.exec(statement)) {
                const QString cause = sqliteCause(query.lastError(), shown);
                db.rollback();
                return refuse(QStringLiteral("Your progress cannot be kept: %1.").arg(cause));
            }
        }
        query.exec(QStringLiteral("PRAGMA user_version = %1").arg(Version));
        if (!db.commit())
            return refuse(QStringLiteral("Your progress cannot be kept: %1.").arg(sqliteCause(db.lastError(), shown)));
    } else if (version != Version || found != Schema) {
        return refuse(QStringLiteral("Your progress cannot be kept: %1 holds another program's tables, and is left "
                                     "as it is.").arg(shown));
    }
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return refuse(QStringLiteral("Your progress cannot be kept: %1.").arg(sqliteCause(query.lastError(), shown)));
    return {};
}

QString ProgressStore::verify()
{
    if (!isOpen())
        return {};
    const QString shown = shownPath(m_path);
    QSqlError error;
    {
        QSqlQuery query(database(m_connection));
        if (query.exec(QStringLiteral("PRAGMA quick_check")) && query.next() && query.value(0).toString() == QLatin1String("ok"))
            return {};
        error = query.lastError();
    }
    close();
    if (isLockError(error))
        return QStringLiteral("Your progress cannot be kept now: another program holds %1.").arg(shown);
    const QString aside = moveAside(m_path);
    return aside.isEmpty() ? QStringLiteral("Your progress cannot be kept: %1 is damaged.").arg(shown)
                           : QStringLiteral("Your progress cannot be kept: %1 was damaged and has been moved aside as %2.")
                                 .arg(shown, shownPath(aside));
}

QHash<QString, QString> ProgressStore::peekSettings(const QString &path)
{
    qint64 size = 0;
    QHash<QString, QString> values;
    if (lookAt(path, &size) != Found::File || size > MaxBytes)
        return values;
    const QString name = connectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyWaitMs));
        if (db.open()) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            // Only a file of this program's own version is read, and only through its own columns.
            if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next() && query.value(0).toInt() == Version) {
                query.finish();
                if (query.exec(QStringLiteral("SELECT name, value FROM settings"))) {
                    while (query.next())
                        values.insert(query.value(0).toString(), query.value(1).toString());
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return values;
}

void ProgressStore::setAside()
{
    if (!isOpen())
        return;
    setSettings({{QStringLiteral("keep"), QStringLiteral("0")}});
    QSqlQuery(database(m_connection)).exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    close();
}

void ProgressStore::close()
{
    if (m_connection.isEmpty())
        return;
    database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

bool ProgressStore::forget()
{
    close();
    m_waiting.clear();
    bool removed = true;
    for (const char *suffix : {"", "-wal", "-shm"}) {
        const QString file = m_path + QLatin1String(suffix);
        if (lookAt(file) == Found::File)
            removed &= QFile::remove(file);
    }
    return removed;
}

QString ProgressStore::failed(const QString &reason)
{
    close();
    return QStringLiteral("Your progress is no longer kept: %1.").arg(reason);
}

QString ProgressStore::keep(const KeptAnswer &answer)
{
    m_waiting.push_back(answer);
    return flush();
}

QString ProgressStore::flush()
{
    if (!isOpen())
        return {};
    QSqlQuery insert(database(m_connection));
    insert.prepare(QStringLiteral("INSERT INTO answers(at, tab, row, col, given, right, first, revealed, ms) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    size_t kept = 0;
    for (; kept < m_waiting.size(); ++kept) {
        const KeptAnswer &a = m_waiting[kept];
        for (const QVariant &value : {QVariant(a.at.toMSecsSinceEpoch()), QVariant(a.tab), QVariant(a.question.row),
                                      QVariant(a.question.column), QVariant(a.given), QVariant(int(a.right)),
                                      QVariant(int(a.first)), QVariant(int(a.revealed)), QVariant(a.ms)})
            insert.addBindValue(value);
        if (!insert.exec()) {
            const QSqlError error = insert.lastError();
            m_waiting.erase(m_waiting.begin(), m_waiting.begin() + qsizetype(kept));
            // Another program writing: this answer and those after it wait for the next one.
            if (isLockError(error))
                return {};
            return failed(sqliteCause(error, shownPath(m_path)));
        }
    }
    m_waiting.clear();
    return {};
}

QHash<QString, QString> ProgressStore::settings() const
{
    QHash<QString, QString> values;
    if (!isOpen())
        return values;
    QSqlQuery query(database(m_connection));
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT name, value FROM settings"))) {
        while (query.next())
            values.insert(query.value(0).toString(), query.value(1).toString());
    }
    return values;
}

QString ProgressStore::setSettings(const QHash<QString, QString> &values)
{
    if (!isOpen())
        return {};
    QSqlDatabase db = database(m_connection);
    QSqlQuery query(db);
    db.transaction();
    query.prepare(QStringLiteral("INSERT INTO settings(name, value) VALUES (?, ?) "
                                 "ON CONFLICT(name) DO UPDATE SET value = excluded.value"));
    for (auto it = values.begin(); it != values.end(); ++it) {
        query.addBindValue(it.key());
        query.addBindValue(it.value());
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            db.rollback();
            return isLockError(error) ? QString() : failed(sqliteCause(error, shownPath(m_path)));
        }
    }
    if (!db.commit())
        return isLockError(db.lastError()) ? QString() : failed(sqliteCause(db.lastError(), shownPath(m_path)));
    return {};
}

std::vector<SpotState> ProgressStore::spots() const
{
    std::vector<SpotState> spots;
    if (!isOpen())
        return spots;
    QSqlQuery query(database(m_connection));
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT tab, row, col, box, due, spacing FROM spots"))) {
        while (query.next()) {
            spots.push_back({query.value(0).toString(), {query.value(1).toString(), query.value(2).toString()},
                             std::clamp(query.value(3).toInt(), 1, 5), query.value(4).toInt(), query.value(5).toInt()});
        }
    }
    return spots;
}

QString ProgressStore::setSpot(const SpotState &spot)
{
    if (!isOpen())
        return {};
    QSqlQuery query(database(m_connection));
    query.prepare(QStringLiteral("INSERT INTO spots(tab, row, col, box, due, spacing) VALUES (?, ?, ?, ?, ?, ?) "
                                 "ON CONFLICT(tab, row, col) DO UPDATE SET box = excluded.box, due = excluded.due, "
                                 "spacing = excluded.spacing"));
    for (const QVariant &value : {QVariant(spot.tab), QVariant(spot.question.row), QVariant(spot.question.column),
                                  QVariant(spot.box), QVariant(spot.due), QVariant(spot.spacing)})
        query.addBindValue(value);
    if (!query.exec() && !isLockError(query.lastError()))
        return failed(sqliteCause(query.lastError(), shownPath(m_path)));
    return {};
}

QHash<QuestionCell, CellFigures> ProgressStore::figures(const QString &tab, const QDateTime &since) const
{
    QHash<QuestionCell, CellFigures> figures;
    if (!isOpen())
        return figures;
    QSqlQuery query(database(m_connection));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT row, col, COUNT(*), SUM(right AND NOT revealed), SUM(ms) FROM answers "
                                 "WHERE tab = ? AND at >= ? AND first = 1 GROUP BY row, col"));
    query.addBindValue(tab);
    query.addBindValue(since.isValid() ? since.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min());
    if (query.exec()) {
        while (query.next()) {
            figures.insert({query.value(0).toString(), query.value(1).toString()},
                           {query.value(2).toInt(), query.value(3).toInt(), query.value(4).toLongLong()});
        }
    }
    return figures;
}

bool ProgressStore::exportCsv(const QString &fileName) const
{
    if (!isOpen())
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QSqlQuery query(database(m_connection));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT at, tab, row, col, given, right, first, revealed, ms FROM answers ORDER BY rowid")))
        return false;
    file.write("when,tab,key or note,kind or interval,answer given,right,first answer,revealed,ms\r\n");
    while (query.next()) {
        const QStringList cells{
            QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong()).toString(Qt::ISODate),
            csvCell(query.value(1).toString()),
            csvCell(query.value(2).toString()),
            csvCell(query.value(3).toString()),
            csvCell(query.value(4).toString()),
            query.value(5).toString(),
            query.value(6).toString(),
            query.value(7).toString(),
            query.value(8).toString(),
        };
        file.write(cells.join(QLatin1Char(',')).toUtf8() + "\r\n");
    }
    return file.commit();
}

} // namespace velmora
