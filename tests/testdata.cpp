#include "testdata.h"

#include "musicdatabase.h"

#include <QFile>
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

} // namespace velmora::test
