#pragma once

#include "exercises/intervals/intervals.h"
#include "music/accessfile.h"
#include "music/expected.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>

namespace velmora {
class MusicDatabase;
}

namespace velmora::test {

// Writes a database file holding the built-in data, for a test to change; returns the path.
QString writeDefaultDatabase(const QString &path);

// Runs statements on the file through a connection of its own, as another program editing the
// file would; fails the test on an error.
void editDatabase(const QString &path, const QStringList &statements);

// One interval "GO!" on `db` with every interval ticked, drawn with a generator seeded `seed`.
Expected<IntervalQuestion> drawAnyInterval(const MusicDatabase &db, std::uint64_t seed);

// Another program's connection to a database file, kept open between statements (a writer that
// holds a lock, a WAL file, a transaction); fails the test on an error.
class Writer
{
public:
    explicit Writer(const QString &path);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;
    void run(const QString &sql);

private:
    QString m_name;
};

// The largest draw a random generator can give, the last record's.
inline const double JustBelowOne = std::nextafter(1.0, 0.0);

// The number of records in the chord-kind table: 28 in the built-in data.
int chordKindCount(const MusicDatabase &db);

// Whole files, for the test's own fixtures, and damage done to one.
void writeFile(const QString &path, const QByteArray &contents);
QByteArray readFile(const QString &path);

// A stopwatch running from its making: QVERIFY2(clock.elapsed() < bound, clock.said()).
class Stopwatch : public QElapsedTimer
{
public:
    Stopwatch() { start(); }
    const char *said() const
    {
        m_said = QByteArray::number(elapsed()) + " ms";
        return m_said.constData();
    }

private:
    mutable QByteArray m_said;
};

// The working directory and, when given, the user's data directory (XDG_DATA_HOME) moved for as
// long as this lives, and put back after.
class ScopedPlace
{
public:
    explicit ScopedPlace(const QString &work, const QString &dataHome = {});
    ~ScopedPlace();
    ScopedPlace(const ScopedPlace &) = delete;
    ScopedPlace &operator=(const ScopedPlace &) = delete;

private:
    QString m_work;
    QByteArray m_dataHome;
    bool m_movedHome;
};
void patchFile(const QString &path, qint64 at, const QByteArray &bytes);

// `value` in `bytes` little-endian bytes, as WAV, GIF and Access files store numbers.
QByteArray littleEndian(quint32 value, int bytes);

// A WAV file's format chunk, and whole files made of chunks.
struct WavHeader
{
    quint16 tag = 1;
    quint16 channels = 1;
    quint32 rate = 22050;
    quint16 bits = 16;
    int blockAlign = -1;  // worked out from channels and bits unless given
    quint32 byteRate = 0; // worked out unless given
    bool extensible = false;
};
QByteArray chunk(const char *id, const QByteArray &body, qint64 declaredSize = -1);
QByteArray fmtChunk(const WavHeader &h);
QByteArray riff(const QByteArray &chunks);
QByteArray wavFile(const WavHeader &h, const QByteArray &data);
// A SoundFont of one preset, bank 0 program 0, of `presetZones` zones, each the whole of one
// instrument of `instrumentZones` zones, each playing one sample: a short tone (SF2), or the
// compressed one given (SF3).
QByteArray soundFont(int presetZones, int instrumentZones, const QByteArray &compressed = {});
// A FLAC stream of `blocks` blocks of 65,535 samples, each stored as one constant: some 15 bytes
// a block.
QByteArray constantFlac(int blocks);

// Names, kinds and contents of everything in `dir`; special files by kind only (reading a named
// pipe would wait).
QStringList listing(const QString &dir);

// The Access file formats our generator writes: Access 97, and Access 2000-2003.
enum class Jet { V3, V4 };

// Writes `path` as an Access file made by scripts/sql-to-mdb.py from the SQL script `sql`;
// returns the path, or an empty string (and prints why) when the generator refuses.
QString writeAccessFromSql(const QString &sql, const QString &path, Jet jet = Jet::V4);

// The built-in data with `changes` made to it, as an Access file: the SQLite copy that
// writeDefaultDatabase and editDatabase give, dumped by sqlite3, then turned into Jet 3 or 4.
QString writeAccessDatabase(const QString &path, const QStringList &changes = {}, Jet jet = Jet::V4);

// Access files read with the exporter of this build.
AccessReading builtExporter();

// The text of data/default.sql.
QString defaultSql();

} // namespace velmora::test
