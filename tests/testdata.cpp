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

ScopedPlace::ScopedPlace(const QString &work, const QString &dataHome)
    : m_work(QDir::currentPath()), m_dataHome(qgetenv("XDG_DATA_HOME")), m_movedHome(!dataHome.isEmpty())
{
    QDir().mkpath(work);
    QDir::setCurrent(work);
    if (m_movedHome)
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
}

ScopedPlace::~ScopedPlace()
{
    QDir::setCurrent(m_work);
    if (m_movedHome)
        qputenv("XDG_DATA_HOME", m_dataHome);
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

QByteArray soundFont(int presetZones, int instrumentZones, const QByteArray &compressed)
{
    const auto name = [](const char *text) { return QByteArray(text).leftJustified(20, '\0', true); };
    const auto list = [](const char *type, const QByteArray &chunks) { return chunk("LIST", type + chunks); };
    // Each list ends with a terminal record; a generator is its operator and its amount.
    const auto generator = [](int operation, int amount) { return littleEndian(operation, 2) + littleEndian(amount, 2); };
    QByteArray pbag, pgen, ibag, igen;
    for (int i = 0; i <= presetZones; ++i) {
        pbag += littleEndian(i, 2) + littleEndian(0, 2);
        if (i < presetZones)
            pgen += generator(41, 0); // instrument 0
    }
    for (int i = 0; i <= instrumentZones; ++i) {
        ibag += littleEndian(i, 2) + littleEndian(0, 2);
        if (i < instrumentZones)
            igen += generator(53, 0); // sample 0
    }
    pgen += generator(0, 0);
    igen += generator(0, 0);
    const int samples = 200;
    const QByteArray phdr = name("Piano") + littleEndian(0, 2) + littleEndian(0, 2) + littleEndian(0, 2) + QByteArray(12, '\0')
        + name("EOP") + QByteArray(4, '\0') + littleEndian(presetZones, 2) + QByteArray(12, '\0');
    const QByteArray inst = name("Piano") + littleEndian(0, 2) + name("EOI") + littleEndian(instrumentZones, 2);
    // A compressed sample's start and end count its bytes, and its type says so (0x10).
    const bool sf3 = !compressed.isEmpty();
    const QByteArray shdr = name("Tone") + littleEndian(0, 4) + littleEndian(sf3 ? compressed.size() : samples, 4)
        + littleEndian(sf3 ? 0 : 10, 4) + littleEndian(sf3 ? 0 : samples - 10, 4) + littleEndian(44100, 4)
        + QByteArray(1, char(60)) + QByteArray(1, '\0') + littleEndian(0, 2) + littleEndian(sf3 ? 0x11 : 1, 2) + name("EOS")
        + QByteArray(26, '\0');
    QByteArray tone = compressed;
    for (int i = 0; !sf3 && i < samples + 46; ++i)
        tone += littleEndian(quint16(i < samples ? (i % 20 < 10 ? 8000 : -8000) : 0), 2);
    const QByteArray body = list("INFO", chunk("ifil", littleEndian(sf3 ? 3 : 2, 2) + littleEndian(1, 2)) + chunk("isng", QByteArray("EMU8000\0", 8))
                                             + chunk("INAM", QByteArray("Test\0\0", 6)))
        + list("sdta", chunk("smpl", tone))
        + list("pdta", chunk("phdr", phdr) + chunk("pbag", pbag) + chunk("pmod", QByteArray(10, '\0')) + chunk("pgen", pgen)
                           + chunk("inst", inst) + chunk("ibag", ibag) + chunk("imod", QByteArray(10, '\0'))
                           + chunk("igen", igen) + chunk("shdr", shdr));
    return "RIFF" + littleEndian(quint32(4 + body.size()), 4) + "sfbk" + body;
}

QByteArray constantFlac(int blocks)
{
    const auto crc = [](const QByteArray &data, int bits, quint32 polynomial) {
        quint32 c = 0;
        const quint32 top = 1u << (bits - 1), mask = (top << 1) - 1;
        for (const char byte : data) {
            c ^= quint32(quint8(byte)) << (bits - 8);
            for (int i = 0; i < 8; ++i)
                c = ((c & top) ? (c << 1) ^ polynomial : c << 1) & mask;
        }
        return c;
    };
    const auto bigEndian = [](quint64 value, int bytes) {
        QByteArray out;
        for (int i = bytes - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
        return out;
    };
    const quint64 block = 65535, total = block * quint64(blocks);
    // STREAMINFO: block sizes, frame sizes unknown, 44.1 kHz, mono, 16 bits, the sample count.
    QByteArray out = "fLaC" + bigEndian(0x80000022, 4) + bigEndian(block, 2) + bigEndian(block, 2) + bigEndian(0, 6)
        + bigEndian((quint64(44100) << 44) | (quint64(15) << 36) | total, 8) + QByteArray(16, '\0');
    for (int n = 0; n < blocks; ++n) {
        // The frame number in FLAC's UTF-8-like code, then the block size given in 16 bits.
        const QByteArray number = n < 0x80 ? bigEndian(n, 1)
            : n < 0x800 ? bigEndian(0xC080 | ((n >> 6) << 8) | (n & 0x3F), 2)
                        : bigEndian(0xE08080 | ((n >> 12) << 16) | (((n >> 6) & 0x3F) << 8) | (n & 0x3F), 3);
        QByteArray frame = bigEndian(0xFFF87008, 4) + number + bigEndian(block - 1, 2);
        frame += char(crc(frame, 8, 0x07));
        frame += bigEndian(0x0003E8, 3); // a CONSTANT subframe: 1000
        out += frame + bigEndian(crc(frame, 16, 0x8005), 2);
    }
    return out;
}

} // namespace velmora::test
