#include "dbcheck/dbcheck.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments.at(1).startsWith(QLatin1Char('-')))) {
        err << "usage: velmora-dbcheck [FILE]\n"
               "Checks a Velmora music database (default: the built-in data) and prints one line per problem.\n";
        return 2;
    }
    const QString file = arguments.size() == 2 ? arguments.at(1) : QString();
    QStringList output;
    const int status = velmora::runDbCheck(file, &output);
    QTextStream out(stdout);
    for (const QString &line : output)
        (status == 2 ? err : out) << line << '\n';
    if (status == 0)
        out << (file.isEmpty() ? QStringLiteral("built-in data") : file) << ": no problems found\n";
    return status;
}
