#pragma once

#include "music/accesswire.h"

#include <algorithm>

#include "music/sqlitefile.h"

#include <QString>
#include <QStringList>

#include <utility>

namespace velmora {

// How Access files are read: by which exporter program, and within what time.
struct AccessReading
{
    // velmora-mdb-export beside the program, or in its libexec folder when installed.
    static QString installedExporter();

    QString exporter = installedExporter();
    // Beyond this the exporter is stopped: the default data takes a few milliseconds.
    int timeoutMs = accesswire::ReadTimeoutSeconds * 1000;
};

// A Microsoft Access 97 or 2000-2003 (Jet 3 or Jet 4) database file, read once into an in-memory
// SQLite database under a connection name, so that every press reads it as an SQLite file.
//
// The file is read by velmora-mdb-export, a child process using libmdb: libmdb follows the page
// pointers of a damaged or hostile file without checking them all, and its crash, hang or
// runaway output becomes a message here. The snapshot serves every press while the file stands
// as it was; a file changed while it was read is read again.
class AccessFile
{
public:
    // Far more than the text of any music database; a damaged file may claim far more.
    static constexpr qint64 LargestExport = 128LL * 1024 * 1024;
    // Below that, a file's text cannot outgrow the file many times over: its pages hold it, with
    // room to spare. A damaged file can make libmdb read the same pages again and again.
    static constexpr qint64 ExportPerFileByte = 32;
    static constexpr qint64 ExportAllowance = 1024 * 1024;
    static qint64 largestExportOf(qint64 fileBytes)
    {
        return std::min(LargestExport, ExportAllowance + ExportPerFileByte * std::max<qint64>(fileBytes, 0));
    }

    explicit AccessFile(AccessReading reading = {}) : m_reading(std::move(reading)) {}
    ~AccessFile();
    AccessFile(const AccessFile &) = delete;
    AccessFile &operator=(const AccessFile &) = delete;

    // The tables to read; others in the file are left alone. A reading given `budgetMs`, less than
    // the reader's deadline, that needs more ends Deferred instead of refusing the file.
    Expected<void> open(const QString &connectionName, const QString &fileName, const DatabaseHeader &header,
                    const QStringList &tables, int budgetMs = -1);
    void close();
    bool unchanged() const;

private:
    AccessReading m_reading;
    QString m_connectionName;
    QString m_fileName;
    FileIdentity m_identity;
};

} // namespace velmora
