#include "music/musicdatabase.h"

#include "music/accesswire.h"
#include "music/files/userfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>
#include <vector>

namespace velmora {

namespace {

QString connectionLabel()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("velmora-music-%1").arg(counter++);
}

QSqlDatabase database(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName, false);
}

QString fileProblemPrefix(const QString &fileName)
{
    if (QDir::isAbsolutePath(fileName))
        return QStringLiteral("The music database \"%1\" cannot be used: ").arg(shownPath(fileName));
    return QStringLiteral("The music database \"%1\" in the working directory cannot be used: ").arg(fileName);
}

const char *const BuiltInNotice = "\n\nVelmora uses its built-in music data instead.";

} // namespace

Expected<void> MusicFile::open(const QString &connectionName, const QString &fileName, int accessBudgetMs)
{
    close();
    const PathLook look = lookAt(fileName);
    if (look.kind == PathLook::Kind::Absent)
        return Failure{Cause::Refused, QStringLiteral("there is no such file.")};
    if (look.kind != PathLook::Kind::Regular)
        return Failure{Cause::Refused, look.reason};
    const Expected<DatabaseHeader> header = readDatabaseHeader(fileName);
    if (!header)
        return Failure{Cause::Refused, header.error()};
    switch (header->kind) {
    case DatabaseFileKind::Sqlite:
        return m_sqlite.open(connectionName, fileName, *header);
    case DatabaseFileKind::Access:
        if (header->jetVersion < 0)
            return Failure{Cause::Refused, QStringLiteral("it is an Access database cut short before its version; the file is damaged.")};
        if (header->jetVersion == 0 || header->jetVersion == 1) {
            m_isAccess = true;
            return m_access.open(connectionName, fileName, *header, musicTables(), accessBudgetMs);
        }
        return Failure{Cause::Refused,
                QStringLiteral("it says it is an Access database of a version Velmora does not know (%1); Velmora reads "
                               "Access 97 to 2003 and SQLite databases.")
                    .arg(header->jetVersion)};
    case DatabaseFileKind::AccessAce:
        return Failure{Cause::Refused,
                QStringLiteral("it is an Access 2007 or later (.accdb) database, which Velmora cannot read; save it "
                               "in Access 2000 format (.mdb).")};
    case DatabaseFileKind::Other:
        break;
    }
    return Failure{Cause::Refused, QStringLiteral("it is not an SQLite database, nor an Access one.")};
}

void MusicFile::close()
{
    m_sqlite.close();
    m_access.close();
    m_isAccess = false;
}

bool MusicFile::unchanged() const
{
    return m_isAccess ? m_access.unchanged() : m_sqlite.unchanged();
}

namespace {

bool settled(const FileIdentity &identity)
{
    // A time in the future (another machine's clock) tells nothing: such a file is read.
    const qint64 ageNs = QDateTime::currentMSecsSinceEpoch() * 1'000'000 - identity.modifiedNs;
    return ageNs >= qint64(MusicDatabase::SettleTime.count()) * 1'000'000 || ageNs < 0;
}

} // namespace

MusicDatabase::MusicDatabase(AccessReading accessReading)
    : m_connectionName(connectionLabel()), m_file(std::move(accessReading))
{
}

MusicDatabase::~MusicDatabase()
{
    closeConnection();
}

void MusicDatabase::closeConnection()
{
    m_file.close();
    removeConnection(m_connectionName);
}

Expected<MusicDatabase::Notice> MusicDatabase::open(const QString &fileName)
{
    return open(QStringList{fileName});
}

Expected<MusicDatabase::Notice> MusicDatabase::open(const QStringList &search)
{
    m_search = search;
    m_fileName = firstPresent(m_search);
    m_refused.reset();
    return load(Moment::StartUp);
}

Expected<MusicDatabase::Notice> MusicDatabase::refresh()
{
    // A stat or two per press: cheap beside the queries that follow.
    if (const QString found = firstPresent(m_search); found != m_fileName) {
        m_fileName = found;
        return load(Moment::Press);
    }
    if (m_state == State::File && m_file.unchanged())
        return Notice();
    if (m_state == State::BuiltIn) {
        if (m_fileName.isEmpty())
            return Notice();
        const PathLook look = lookAt(m_fileName);
        if (m_refused && *m_refused == Refused{m_fileName, look.kind, look.identity, look.reason})
            return Notice();
        // A refused file that changed is read again once it has settled: a program saving it
        // over and over (a sync tool) would otherwise make every press pay for another reading.
        if (m_refused && look.kind == PathLook::Kind::Regular && !settled(look.identity))
            return Notice();
    }
    return load(Moment::Press);
}

// A file that cannot be used at all (not a file, not SQLite, missing tables) is said once and the
// built-in data serves until the file changes. A file SQLite cannot read right now (locked, or
// damaged while it is being edited) fails only the press that meets it, leaving the question on
// screen, and is tried again at the next press. At start-up only a lock is treated so: no
// question is on screen yet, and the built-in data is the better start for any other problem.
// An Access file too slow for start-up is read at the first press, the built-in data serving
// until then.
Expected<MusicDatabase::Notice> MusicDatabase::load(Moment moment)
{
    closeConnection();
    const PathLook look = lookAt(m_fileName);
    if (m_fileName.isEmpty() || look.kind == PathLook::Kind::Absent) {
        openBuiltIn();
        return Notice();
    }
    Expected<void> opened =
        m_file.open(m_connectionName, m_fileName, moment == Moment::StartUp ? int(StartUpAccessBudget.count()) : -1);
    if (opened && moment == Moment::StartUp)
        opened = checkSchema(m_connectionName);
    if (opened)
        opened = checkText(m_connectionName);
    if (opened) {
        m_state = State::File;
        m_refused.reset();
        return Notice();
    }
    closeConnection();
    if (opened.cause() == Cause::Deferred) { // nothing known against the file yet: no message
        m_refused.reset();
        openBuiltIn();
        return Notice();
    }
    const QString problem = fileProblemPrefix(m_fileName) + opened.error();
    if (opened.cause() == Cause::Locked || (moment == Moment::Press && opened.cause() == Cause::Unreadable)) {
        m_state = State::Retry;
        if (moment == Moment::StartUp)
            return Failure{opened.cause(), problem + QStringLiteral("\n\nVelmora tries the file again at the next press.")};
        return Failure{opened.cause(), problem};
    }
    m_refused = Refused{m_fileName, look.kind, look.identity, look.reason};
    openBuiltIn();
    return Notice(problem + QLatin1String(BuiltInNotice));
}

void MusicDatabase::openBuiltIn()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open())
        qFatal("Velmora: no in-memory SQLite database: %s", qPrintable(db.lastError().text()));

    QFile script(QStringLiteral(":/data/default.sql"));
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("Velmora: the built-in music data is missing from the program");
    QString sql;
    for (const QByteArray &line : script.readAll().split('\n')) {
        if (!line.trimmed().startsWith("--"))
            sql += QString::fromUtf8(line) + QLatin1Char('\n');
    }
    db.transaction();
    QSqlQuery query(db);
    for (const QString &statement : sql.split(QStringLiteral(";\n"), Qt::SkipEmptyParts)) {
        if (statement.trimmed().isEmpty())
            continue;
        if (!query.exec(statement))
            qFatal("Velmora: the built-in music data is broken: %s", qPrintable(query.lastError().text()));
    }
    db.commit();
    m_state = State::BuiltIn;
}

Expected<void> MusicDatabase::checkSchema(const QString &connectionName)
{
    const QSqlDatabase db = database(connectionName);
    const QList<std::pair<QString, QStringList>> required{
        {tables::Ladders, QStringList{fields::Key} + degreeFields()},
        {tables::ChordKinds, {fields::ChordKind}},
        {tables::Intervals, {fields::IntervalName, fields::Top, fields::Direction}},
    };
    QStringList problems;
    for (const auto &[table, fields] : required) {
        const QSqlRecord record = db.record(table);
        if (record.isEmpty()) {
            problems << QStringLiteral("it has no table \"%1\".").arg(table);
            continue;
        }
        // A view is computed at every read, and one that recurses or joins without end never
        // finishes; a virtual table runs code of its own. Only stored tables are read.
        QSqlQuery kind(db);
        kind.prepare(QStringLiteral("SELECT type, sql FROM sqlite_master WHERE name = ? COLLATE NOCASE"));
        kind.addBindValue(table);
        if (kind.exec() && kind.next()
            && (kind.value(0).toString() != QLatin1String("table")
                || kind.value(1).toString().simplified().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))) {
            problems << QStringLiteral("\"%1\" is a view or a virtual table, not an ordinary table; Velmora reads only "
                                       "stored records.")
                            .arg(table);
            continue;
        }
        // A generated field is computed at every read too (a record is read whole), at a cost the
        // file alone sets.
        QStringList generated;
        QSqlQuery columns(db);
        if (columns.exec(QStringLiteral("PRAGMA table_xinfo(%1)").arg(quotedIdentifier(table)))) {
            while (columns.next()) {
                if (columns.value(6).toInt() >= 2)
                    generated << columns.value(1).toString();
            }
        }
        for (const QString &field : std::as_const(generated))
            problems << QStringLiteral("table \"%1\": field \"%2\" is generated, not stored.").arg(table, shortened(field));
        for (const QString &field : fields) {
            if (exactFieldIndex(record, field) < 0)
                problems << QStringLiteral("table \"%1\" has no field \"%2\".").arg(table, field);
        }
        QSqlQuery order(db);
        if (!order.prepare(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(quotedIdentifier(table)))) {
            problems << QStringLiteral("table \"%1\" has no rowid (it was made WITHOUT ROWID, or it is a view); "
                                       "Velmora draws records in rowid order, so it needs an ordinary table.")
                            .arg(table);
        }
    }
    if (!problems.isEmpty())
        return Failure{Cause::Refused, problems.join(QLatin1Char('\n'))};
    return {};
}

Expected<void> MusicDatabase::checkText(const QString &connectionName)
{
    // A NUL ends an Access reader's text and not SQLite's, so the same data would read two ways:
    // damage, as the exporter finds it in an Access file at every reading. Only stored tables
    // without generated fields are looked through: a view may never end, and a generated field
    // is computed at a cost the file sets (the schema check refuses both).
    const QSqlDatabase db = database(connectionName);
    for (const QString &table : {tables::Ladders, tables::ChordKinds, tables::Intervals}) {
        QSqlQuery stored(db);
        stored.prepare(QStringLiteral("SELECT 1 FROM sqlite_master AS t WHERE t.name = ? COLLATE NOCASE AND t.type = 'table' "
                                      "AND t.sql NOT LIKE 'CREATE VIRTUAL%' "
                                      "AND NOT EXISTS (SELECT 1 FROM pragma_table_xinfo(t.name) WHERE hidden >= 2)"));
        stored.addBindValue(table);
        if (!stored.exec() || !stored.next())
            continue;
        const QSqlRecord record = db.record(table);
        for (int i = 0; i < record.count(); ++i) {
            QSqlQuery nul(db);
            if (nul.exec(QStringLiteral("SELECT 1 FROM %1 WHERE instr(CAST(%2 AS BLOB), x'00') > 0 LIMIT 1")
                             .arg(quotedIdentifier(table), quotedIdentifier(record.fieldName(i))))
                && nul.next())
                return Failure{Cause::Refused, QString::fromStdString(accesswire::nulInText(
                                                   table.toStdString(), shortened(record.fieldName(i)).toStdString()))};
        }
    }
    return {};
}

} // namespace velmora
