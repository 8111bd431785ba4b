#include "testdata.h"

#include "music/musicdatabase.h"

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

void editDatabase(const QString &path, const QStringList &statements)
{
    const QString name = QStringLiteral("velmora-test-editor");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if (!query.exec(statement))
                qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace velmora::test
