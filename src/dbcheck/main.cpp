#include "dbcheck/dbcheck.h"
#include "music/musicdatabase.h"
#include "music/files/userfiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-dbcheck"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Checks a Velmora music database and prints one line per problem.\n"
        "Without FILE: the database Velmora would use from the current directory (Chords-VB.mdb there,\n"
        "else in the user's data directory), or the built-in data when there is none.\n"
        "Exit status: 0 clean, 1 problems found, 2 the file cannot be read."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption builtIn(QStringLiteral("builtin"), QStringLiteral("Check the built-in data."));
    parser.addOption(builtIn);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The database file to check."), QStringLiteral("[FILE]"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Not process(): it ends a usage error with status 1, which here means problems were found.
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "velmora-dbcheck: " << parser.errorText() << '\n';
        return 2;
    }
    if (parser.isSet(help))
        parser.showHelp(0); // to standard output, and exits
    if (parser.isSet(version))
        parser.showVersion();
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1 || (parser.isSet(builtIn) && !files.isEmpty())) {
        err << "velmora-dbcheck: give one FILE, or --builtin, or neither\n" << parser.helpText();
        return 2;
    }
    QString file;
    if (!files.isEmpty()) {
        // Names are bytes, which a QString may not hold: the one given is read by its own bytes.
        file = files.first();
        for (int i = 1; i < argc; ++i) {
            if (QFile::decodeName(argv[i]) == file) {
                file = velmora::pathFromBytes(argv[i]);
                break;
            }
        }
    } else if (!parser.isSet(builtIn)) {
        file = velmora::firstPresent(velmora::userFileSearch(QString::fromLatin1(velmora::MusicDatabase::DefaultFileName)));
        out << "checking " << (file.isEmpty() ? QStringLiteral("the built-in data (no %1 found)")
                                                    .arg(QString::fromLatin1(velmora::MusicDatabase::DefaultFileName))
                                              : file)
            << '\n';
    }
    QStringList output;
    const int status = velmora::runDbCheck(file, &output);
    for (const QString &line : output)
        err << line << '\n';
    if (status == 0)
        out << (file.isEmpty() ? QStringLiteral("built-in data") : velmora::shownPath(file)) << ": no problems found\n";
    return status;
}
