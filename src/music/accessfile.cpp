#include "music/accessfile.h"

#include "music/accesswire.h"
#include "music/musicdatabase.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace velmora {

namespace {

namespace wire = accesswire;

// A file another program changes while it is read is read again, this often in all.
constexpr int ReadAttempts = 3;

const char *const DamagedAdvice = "open it in Access and use Compact and Repair, or put back a good copy.";

// The exporter's answer, and how its process ended.
struct Export
{
    enum class End { Finished, FailedToStart, Crashed, TimedOut, TooLarge };
    End end = End::Finished;
    QByteArray output;
    QString says; // the first line libmdb wrote on standard error, if any
    QString error;
};

Export runExporter(const QString &exporter, const QString &fileName, const QStringList &tables,
                   const QDeadlineTimer &deadline)
{
    Export result;
    QProcess process;
    // libmdb takes debugging switches, a search path and its text encodings from the
    // environment: its debugging output would go into our answer, and our stream is UTF-8.
    // Access 97 texts are in the Windows code page Western European Access wrote them in.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("MDBOPTS"));
    environment.remove(QStringLiteral("MDBPATH"));
    environment.insert(QStringLiteral("MDBICONV"), QStringLiteral("UTF-8"));
    environment.insert(QStringLiteral("MDB_JET3_CHARSET"), QStringLiteral("CP1252"));
    process.setProcessEnvironment(environment);
    // As given: the exporter shares our working directory, and a name made absolute here would pass
    // through a QString, which cannot hold a directory name that is not UTF-8.
    process.start(exporter, QStringList{fileName} + tables, QIODevice::ReadOnly);
    if (!process.waitForStarted(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
        result.end = Export::End::FailedToStart;
        result.error = process.errorString();
        return result;
    }
    const qint64 largest = AccessFile::largestExportOf(QFileInfo(fileName).size());
    QByteArray errors;
    const auto collect = [&] {
        result.output += process.readAllStandardOutput();
        const QByteArray more = process.readAllStandardError();
        if (errors.size() < 4096)
            errors += more.left(4096);
    };
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0)));
        collect();
        if (result.output.size() > largest) {
            result.end = Export::End::TooLarge;
            break;
        }
        // On the whole run: an exporter that trickles output keeps every wait short.
        if (process.state() != QProcess::NotRunning && deadline.hasExpired()) {
            result.end = Export::End::TimedOut;
            break;
        }
    }
    if (result.end != Export::End::Finished) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    process.waitForFinished();
    collect();
    if (process.exitStatus() == QProcess::CrashExit || process.exitCode() != 0)
        result.end = Export::End::Crashed;
    const QString firstLine = QString::fromUtf8(errors).section(QLatin1Char('\n'), 0, 0).trimmed();
    if (!firstLine.isEmpty())
        result.says = QStringLiteral(" (mdbtools says: %1)").arg(shortened(firstLine));
    return result;
}

// Reads the exporter's stream, never past its end whatever it holds.
class WireReader
{
public:
    explicit WireReader(const QByteArray &data) : m_data(data) {}

    bool magic()
    {
        const QByteArray expected(wire::Magic);
        if (!m_data.startsWith(expected))
            return false;
        m_pos = expected.size();
        return true;
    }
    std::optional<unsigned char> byte()
    {
        if (m_pos >= m_data.size())
            return std::nullopt;
        return static_cast<unsigned char>(m_data[m_pos++]);
    }
    std::optional<quint32> number()
    {
        if (m_data.size() - m_pos < 4)
            return std::nullopt;
        quint32 n = 0;
        for (int i = 0; i < 4; ++i)
            n |= quint32(static_cast<unsigned char>(m_data[m_pos + i])) << (8 * i);
        m_pos += 4;
        return n;
    }
    std::optional<QString> text()
    {
        const std::optional<quint32> length = number();
        if (!length || *length > quint64(m_data.size() - m_pos))
            return std::nullopt;
        const QString s = QString::fromUtf8(m_data.constData() + m_pos, qsizetype(*length));
        m_pos += qsizetype(*length);
        return s;
    }

private:
    const QByteArray &m_data;
    qsizetype m_pos = 0;
};

// How the exporter's stream ended: with its End record, with a Problem (or one of ours, such as
// fields SQLite refuses), or with neither.
struct Loaded
{
    enum class End { Complete, Problem, Garbled };
    End end = End::Complete;
    Expected<void> problem;
};

// Builds the tables the exporter wrote into the open connection `db`.
Loaded load(QSqlDatabase &db, const QByteArray &output, const QString &says)
{
    const Loaded garbled{Loaded::End::Garbled,
                         Failure{Cause::Refused,
                          QStringLiteral("the Access reader's answer for it is cut short or garbled, so the file "
                                         "is most likely damaged; ")
                              + QLatin1String(DamagedAdvice)}};
    const auto refused = [](const QString &reason) {
        return Loaded{Loaded::End::Problem, Failure{Cause::Refused, reason}};
    };
    WireReader in(output);
    if (!in.magic())
        return garbled;
    QSqlQuery query(db);
    QString table;
    int fieldCount = 0;
    while (true) {
        const std::optional<unsigned char> tag = in.byte();
        if (!tag)
            return garbled;
        switch (*tag) {
        case wire::End:
            return {};
        case wire::Problem: {
            const std::optional<QString> reason = in.text();
            if (!reason)
                return garbled;
            return refused(*reason + says);
        }
        case wire::Table: {
            const std::optional<QString> name = in.text();
            const std::optional<quint32> count = in.number();
            if (!name || !count || *count > 255)
                return garbled;
            table = *name;
            fieldCount = int(*count);
            if (fieldCount == 0)
                return refused(QStringLiteral("table \"%1\" has no fields; the file is damaged.").arg(shortened(table)));
            QStringList fields;
            for (int i = 0; i < fieldCount; ++i) {
                const std::optional<QString> field = in.text();
                if (!field)
                    return garbled;
                fields << quotedIdentifier(*field);
            }
            if (!query.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedIdentifier(table), fields.join(QLatin1Char(',')))))
                return refused(QStringLiteral("table \"%1\" cannot be used: %2.").arg(shortened(table), sqliteCause(query.lastError())));
            QStringList marks;
            marks.fill(QStringLiteral("?"), fieldCount);
            query.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quotedIdentifier(table), marks.join(QLatin1Char(','))));
            break;
        }
        case wire::Row:
            if (table.isEmpty())
                return garbled;
            for (int i = 0; i < fieldCount; ++i) {
                const std::optional<unsigned char> cell = in.byte();
                if (!cell || (*cell != wire::Null && *cell != wire::Value))
                    return garbled;
                if (*cell == wire::Null) {
                    query.bindValue(i, QVariant(QMetaType::fromType<QString>()));
                    continue;
                }
                const std::optional<QString> value = in.text();
                if (!value)
                    return garbled;
                query.bindValue(i, *value);
            }
            if (!query.exec())
                return refused(QStringLiteral("table \"%1\" cannot be used: %2.").arg(shortened(table), sqliteCause(query.lastError())));
            break;
        case wire::TableEnd:
            table.clear();
            break;
        default:
            return garbled;
        }
    }
}

} // namespace

AccessFile::~AccessFile()
{
    close();
}

QString AccessReading::installedExporter()
{
    const QString name = QStringLiteral("velmora-mdb-export");
    const QString here = QCoreApplication::applicationDirPath();
    const QString beside = here + QLatin1Char('/') + name;
    if (QFileInfo(beside).isExecutable())
        return beside;
    return here + QStringLiteral("/" VELMORA_EXPORTER_FROM_BINDIR "/") + name;
}

void AccessFile::close()
{
    removeConnection(m_connectionName);
    m_connectionName.clear();
}

Expected<void> AccessFile::open(const QString &connectionName, const QString &fileName, const DatabaseHeader &header,
                            const QStringList &tables, int budgetMs)
{
    close();
    m_fileName = fileName;
    m_identity = header.identity;
    // The exporter reads the whole file at once; a file another program changed meanwhile is
    // read again, so that the tables always come from one state of the file. All the readings
    // together keep to one deadline.
    const bool budgeted = budgetMs >= 0 && budgetMs < m_reading.timeoutMs;
    const QDeadlineTimer deadline(budgeted ? budgetMs : m_reading.timeoutMs);
    const auto deferred = [budgetMs] {
        return Failure{Cause::Deferred,
                          QStringLiteral("reading it takes longer than %1 seconds.").arg(QString::number(budgetMs / 1000.0))};
    };
    for (int attempt = 0; attempt < ReadAttempts && !deadline.hasExpired(); ++attempt) {
        const Export exported = runExporter(m_reading.exporter, fileName, tables, deadline);
        const PathLook after = lookAt(fileName);
        if (after.kind != PathLook::Kind::Regular || after.identity != m_identity) {
            m_identity = after.identity;
            continue;
        }
        switch (exported.end) {
        case Export::End::FailedToStart:
            return Failure{Cause::Refused,
                    QStringLiteral("it is a Microsoft Access database, and the program Velmora reads those with "
                                   "(%1) cannot be started: %2.")
                        .arg(m_reading.exporter, exported.error)};
        case Export::End::TimedOut:
            if (budgeted)
                return deferred();
            return Failure{Cause::Refused,
                    QStringLiteral("reading it took longer than %1 seconds, so the file is most likely damaged; ")
                            .arg(QString::number(m_reading.timeoutMs / 1000.0))
                        + QLatin1String(DamagedAdvice)};
        case Export::End::TooLarge:
            return Failure{Cause::Refused,
                    QStringLiteral("reading it gave more than %1 MB of text, far more than the file holds, so the file "
                                   "is damaged; ")
                            .arg(QString::number(double(largestExportOf(QFileInfo(fileName).size())) / (1024 * 1024), 'f', 1))
                        + QLatin1String(DamagedAdvice)};
        case Export::End::Finished:
        case Export::End::Crashed:
            break;
        }
        // An answer that came whole stands, even from an exporter that failed while it ended.
        m_connectionName = connectionName;
        Loaded loaded;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
            db.setDatabaseName(QStringLiteral(":memory:"));
            if (db.open()) {
                db.transaction();
                loaded = load(db, exported.output, exported.says);
                db.commit();
            } else {
                loaded = {Loaded::End::Problem, Failure{Cause::Unreadable, sqliteCause(db.lastError()) + QLatin1Char('.')}};
            }
        }
        if (loaded.end == Loaded::End::Complete)
            return {};
        close();
        if (loaded.end == Loaded::End::Garbled && exported.end == Export::End::Crashed) {
            return Failure{Cause::Refused,
                    QStringLiteral("the Access reader stopped on it, so the file is most likely damaged%1; ").arg(exported.says)
                        + QLatin1String(DamagedAdvice)};
        }
        return loaded.problem;
    }
    if (budgeted && deadline.hasExpired())
        return deferred();
    // Read again at every press, a file a program keeps saving would cost the reader's time at
    // each: it waits, with the built-in data, until it has been left alone for a while.
    return Failure{Cause::Refused,
            QStringLiteral("another program kept changing it while it was read; Velmora reads it again once it has "
                           "been left unchanged for a moment.")};
}

bool AccessFile::unchanged() const
{
    const PathLook now = lookAt(m_fileName);
    return now.kind == PathLook::Kind::Regular && now.identity == m_identity;
}

} // namespace velmora
