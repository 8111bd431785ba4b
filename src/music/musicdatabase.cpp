#include "music/musicdatabase.h"

#include "music/random.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

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
    return QStringLiteral("The music database \"%1\" in the working directory cannot be used: ").arg(fileName);
}

const char *const BuiltInNotice = "\n\nVelmora uses its built-in music data instead.";

} // namespace

// Names here are exact text like every other comparison.
int exactFieldIndex(const QSqlRecord &record, const QString &name)
{
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i) == name)
            return i;
    }
    return -1;
}

Expected<DatabaseFileKind> databaseFileKind(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    const QByteArray header = file.read(32);
    if (header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return DatabaseFileKind::Sqlite;
    const QByteArray jet = header.mid(4, 15);
    if (jet == "Standard Jet DB" || jet == "Standard ACE DB")
        return DatabaseFileKind::Access;
    return DatabaseFileKind::Other;
}

QString openSqliteReadOnly(const QString &connectionName, const QString &fileName)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(fileName);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    return db.open() ? QString() : db.lastError().text();
}

QString noRecordsMessage(const QString &table)
{
    return QStringLiteral("Table \"%1\" holds no records.").arg(table);
}

const QStringList &degreeFields()
{
    static const QStringList fields{"1", "b3", "3", "4", "5", "b5", "+5", "6", "b7",
                                    "bb7", "7", "9", "b9", "11", "+11", "13", "b13"};
    return fields;
}

QString quotedIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Expected<QString> DrawnRecord::field(const QString &name) const
{
    const int index = exactFieldIndex(m_record, name);
    if (index < 0) {
        return Failure{
            QStringLiteral("Table \"%1\" has no field \"%2\".").arg(m_table, name)};
    }
    const QVariant value = m_record.value(index);
    if (value.isNull()) {
        return Failure{
            QStringLiteral("Table \"%1\": field \"%2\" holds no value.").arg(m_table, name)};
    }
    return value.toString();
}

RecordCursor::RecordCursor(QString connectionName, QString table, QObject *parent)
    : QObject(parent), m_connectionName(std::move(connectionName)), m_table(std::move(table))
{
}

Expected<int> RecordCursor::count() const
{
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(quotedIdentifier(m_table))) || !query.next()) {
        return Failure{QStringLiteral("Table \"%1\" cannot be read: %2")
                                          .arg(m_table, query.lastError().text())};
    }
    return query.value(0).toInt();
}

Expected<DrawnRecord> RecordCursor::draw(int count, double r)
{
    if (count <= 0)
        return Failure{noRecordsMessage(m_table)};
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY rowid LIMIT 1 OFFSET ?").arg(quotedIdentifier(m_table)));
    query.addBindValue(drawIndex(count, r));
    if (!query.exec())
        return Failure{QStringLiteral("Table \"%1\" cannot be read: %2").arg(m_table, query.lastError().text())};
    if (!query.next())
        return Failure{QStringLiteral("Table \"%1\" cannot be read: the record vanished while it was read").arg(m_table)};
    return DrawnRecord(m_table, query.record());
}

Expected<DrawnRecord> RecordCursor::countAndDraw(RandomSource &random)
{
    const Expected<int> n = count();
    if (!n)
        return Failure{n.error()};
    random.reseed();
    return draw(*n, random.next());
}

Expected<QStringList> RecordCursor::values(const QString &fieldName) const
{
    QSqlQuery query(database(m_connectionName));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                        .arg(quotedIdentifier(fieldName), quotedIdentifier(m_table)))) {
        return Failure{QStringLiteral("Table \"%1\", field \"%2\" cannot be read: %3")
                                                  .arg(m_table, fieldName, query.lastError().text())};
    }
    QStringList result;
    while (query.next())
        result << query.value(0).toString();
    return result;
}

PressSnapshot::PressSnapshot(const RecordCursor &cursor)
    : m_connectionName(cursor.connectionName()), m_began(database(m_connectionName).transaction())
{
}

PressSnapshot::~PressSnapshot()
{
    if (m_began)
        database(m_connectionName).commit();
}

MusicDatabase::MusicDatabase() : m_connectionName(connectionLabel()) {}

MusicDatabase::~MusicDatabase()
{
    closeConnection();
}

void MusicDatabase::closeConnection()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        database(m_connectionName).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QString MusicDatabase::open(const QString &fileName)
{
    closeConnection();
    QString problem;
    if (QFileInfo::exists(fileName) && openFile(fileName, &problem))
        return {};
    openBuiltIn();
    return problem;
}

bool MusicDatabase::openFile(const QString &fileName, QString *problem)
{
    const Expected<DatabaseFileKind> kind = databaseFileKind(fileName);
    if (!kind) {
        *problem = fileProblemPrefix(fileName) + kind.error() + QLatin1String(BuiltInNotice);
        return false;
    }
    if (*kind != DatabaseFileKind::Sqlite) {
        if (*kind == DatabaseFileKind::Access) {
            *problem = fileProblemPrefix(fileName)
                + QStringLiteral("it is a Microsoft Access database, and Velmora reads SQLite databases.\n"
                                 "Convert it with the mdbtools programs, for example:\n"
                                 "  mdb-schema \"%1\" sqlite | sqlite3 music.sqlite\n"
                                 "  for t in Ladders chort-sort Intervallen; do mdb-export -I sqlite \"%1\" \"$t\" | sqlite3 music.sqlite; done\n"
                                 "then put music.sqlite in its place under the name \"%1\".")
                      .arg(fileName)
                + QLatin1String(BuiltInNotice);
        } else {
            *problem = fileProblemPrefix(fileName) + QStringLiteral("it is not an SQLite database.")
                + QLatin1String(BuiltInNotice);
        }
        return false;
    }

    if (const QString error = openSqliteReadOnly(m_connectionName, fileName); !error.isEmpty())
        *problem = fileProblemPrefix(fileName) + error + QLatin1String(BuiltInNotice);
    else if (const QString schema = schemaProblem(m_connectionName); !schema.isEmpty())
        *problem = fileProblemPrefix(fileName) + schema + QLatin1String(BuiltInNotice);
    if (!problem->isEmpty()) {
        closeConnection();
        return false;
    }
    m_builtIn = false;
    return true;
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
    m_builtIn = true;
}

QString MusicDatabase::schemaProblem(const QString &connectionName)
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
        for (const QString &field : fields) {
            if (exactFieldIndex(record, field) < 0)
                problems << QStringLiteral("table \"%1\" has no field \"%2\".").arg(table, field);
        }
    }
    return problems.join(QLatin1Char('\n'));
}

} // namespace velmora
