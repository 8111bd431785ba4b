#include "music/messages.h"

#include <QFileInfo>
#include <QSqlError>

namespace velmora {

namespace {

enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, IoError = 10, Corrupt = 11, CantOpen = 14, NotADatabase = 26 };

// SQLite's primary result codes, as the Qt driver reports them.
int codeOf(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

} // namespace

// An error that passes by itself: another program holds the file locked.
bool isLockError(const QSqlError &error)
{
    const int code = codeOf(error);
    return code == Busy || code == Locked;
}

QString sqliteCause(const QSqlError &error, const QString &fileName)
{
    const QString sqlite = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    const QString says = QStringLiteral(" (SQLite says: %1)").arg(sqlite);
    switch (codeOf(error)) {
    case Busy:
    case Locked:
        return QStringLiteral("another program is saving the file right now and holds it locked; "
                              "try again when it has finished")
            + says;
    case Corrupt:
    case NotADatabase:
        return QStringLiteral("the file is damaged or cut short; open it in the program that made it, "
                              "or put back a good copy")
            + says;
    case ReadOnly:
        if (!fileName.isEmpty() && QFileInfo::exists(fileName + QStringLiteral("-journal"))) {
            return QStringLiteral("a program stopped in the middle of saving it, and its unfinished save "
                                  "(the file \"%1-journal\") must be undone by writing to the file, which "
                                  "Velmora never does; open the file once in sqlite3 or the program that "
                                  "saved it")
                       .arg(QFileInfo(fileName).fileName())
                + says;
        }
        return QStringLiteral("it could only be read by writing to it, which Velmora never does") + says;
    case IoError:
        return QStringLiteral("the disk would not give up its contents") + says;
    case CantOpen:
        return QStringLiteral("it cannot be opened") + says;
    default:
        return sqlite;
    }
}

QString shortened(const QString &value)
{
    constexpr int Longest = 80;
    QString text = value.size() > Longest ? value.left(Longest) + QStringLiteral("...") : value;
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace velmora
