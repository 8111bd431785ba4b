#include "testdata.h"

#include "music/musicdatabase.h"
#include "music/random.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora::test {

QString writeDefaultDatabase(const QString &path)
{
    QFile::remove(path);
    MusicDatabase builtIn;
    builtIn.open(QString());
    QSqlQuery query(QSqlDatabase::database(builtIn.connectionName()));
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    if (!query.exec(QStringLiteral("VACUUM INTO '%1'").arg(quoted)))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(query.lastError().text()));
    return path;
}

void editDatabase(const QString &path, const QStringList &statements)
{
    Writer writer(path);
    for (const QString &statement : statements)
        writer.run(statement);
}

Writer::Writer(const QString &path) : m_name(QStringLiteral("velmora-test-writer-%1").arg(quintptr(this)))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    if (!db.open())
        qFatal("writer cannot open %s", qPrintable(path));
}

Writer::~Writer()
{
    QSqlDatabase::database(m_name).close();
    QSqlDatabase::removeDatabase(m_name);
}

void Writer::run(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database(m_name));
    if (!query.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

int chordKindCount(const MusicDatabase &db)
{
    const Expected<int> count = RecordCursor(db.connectionName(), tables::ChordKinds).count();
    return count ? *count : -1;
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Names, kinds and contents of everything in `dir`; special files by kind only (reading a named
// pipe would wait).
QStringList listing(const QString &dir)
{
    QStringList entries;
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo &info : QDir(dir).entryInfoList(filter, QDir::Name)) {
        QString entry = info.fileName();
        if (info.isSymLink()) {
            entry += QStringLiteral(" -> ") + info.symLinkTarget();
        } else if (info.isFile()) {
            QFile file(info.filePath());
            if (file.open(QIODevice::ReadOnly))
                entry += QLatin1Char(' ') + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
        } else {
            entry += QStringLiteral(" (special)");
        }
        entries << entry;
    }
    return entries;
}

Expected<IntervalQuestion> drawAnyInterval(const MusicDatabase &db, std::uint64_t seed)
{
    RecordCursor ladders(db.connectionName(), tables::Ladders);
    RecordCursor intervals(db.connectionName(), tables::Intervals);
    SeededRandom random(seed);
    IntervalSelection all;
    all.fill(true);
    return drawIntervalQuestion(ladders, intervals, random, all);
}

QString writeAccessFromSql(const QString &sql, const QString &path, Jet jet)
{
    QTemporaryDir work;
    const QString script = work.filePath(QStringLiteral("in.sql"));
    writeFile(script, sql.toUtf8());
    QProcess generator;
    QStringList arguments{QStringLiteral(VELMORA_SOURCE_DIR "/scripts/sql-to-mdb.py")};
    if (jet == Jet::V3)
        arguments << QStringLiteral("--jet3");
    generator.start(QStringLiteral("python3"), arguments << script << path);
    if (!generator.waitForFinished(60000) || generator.exitStatus() != QProcess::NormalExit || generator.exitCode() != 0) {
        qWarning("sql-to-mdb.py: %s%s", generator.readAllStandardError().constData(), qPrintable(generator.errorString()));
        return {};
    }
    return path;
}

QString writeAccessDatabase(const QString &path, const QStringList &changes, Jet jet)
{
    QTemporaryDir work;
    const QString copy = writeDefaultDatabase(work.filePath(QStringLiteral("copy.sqlite")));
    editDatabase(copy, changes);
    QProcess dump;
    dump.start(QStringLiteral("sqlite3"), {copy, QStringLiteral(".dump")});
    if (!dump.waitForFinished(60000) || dump.exitCode() != 0)
        qFatal("sqlite3 .dump: %s", dump.readAllStandardError().constData());
    const QString written = writeAccessFromSql(QString::fromUtf8(dump.readAllStandardOutput()), path, jet);
    if (written.isEmpty())
        qFatal("the generator refused the dump of %s", qPrintable(copy));
    return written;
}

AccessReading builtExporter()
{
    return {QStringLiteral(VELMORA_MDB_EXPORT)};
}

QString defaultSql()
{
    QFile file(QStringLiteral(VELMORA_SOURCE_DIR "/data/default.sql"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no data/default.sql");
    return QString::fromUtf8(file.readAll());
}

void patchFile(const QString &path, qint64 at, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(at) || file.write(bytes) != bytes.size())
        qFatal("cannot patch %s", qPrintable(path));
}

QByteArray littleEndian(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

QByteArray chunk(const char *id, const QByteArray &body, qint64 declaredSize)
{
    return QByteArray(id, 4) + littleEndian(quint32(declaredSize < 0 ? body.size() : declaredSize), 4) + body
        + QByteArray(body.size() & 1, '\0');
}

QByteArray fmtChunk(const WavHeader &h)
{
    const quint16 align = h.blockAlign >= 0 ? quint16(h.blockAlign) : quint16(h.channels * h.bits / 8);
    QByteArray body = littleEndian(h.extensible ? 0xFFFE : h.tag, 2) + littleEndian(h.channels, 2) + littleEndian(h.rate, 4)
        + littleEndian(h.byteRate ? h.byteRate : h.rate * align, 4) + littleEndian(align, 2) + littleEndian(h.bits, 2);
    if (h.extensible) {
        body += littleEndian(22, 2) + littleEndian(h.bits, 2) + littleEndian(h.channels == 2 ? 3 : 4, 4) + littleEndian(h.tag, 2)
            + QByteArray::fromHex("000000001000800000aa00389b71");
    }
    return chunk("fmt ", body);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + littleEndian(quint32(4 + chunks.size()), 4) + "WAVE" + chunks;
}

QByteArray wavFile(const WavHeader &h, const QByteArray &data)
{
    return riff(fmtChunk(h) + chunk("data", data));
}

} // namespace velmora::test
