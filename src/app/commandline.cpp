#include "app/commandline.h"

#include <QCommandLineParser>

namespace velmora {

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help")), version(QStringLiteral("version")), hear(QStringLiteral("hear")),
        byEar(QStringLiteral("by-ear")), english(QStringLiteral("english"));
    parser.addOptions({help, version, hear, byEar, english});
    // parse(), not process(): an unknown option is not the end of the program, only of the cheat.
    const bool clean = parser.parse(arguments);
    CommandLine line;
    line.help = parser.isSet(help);
    line.version = parser.isSet(version);
    line.plainEnglish = parser.isSet(english);
    line.listen.hearEachQuestion = parser.isSet(hear);
    line.listen.chordsByEar = parser.isSet(byEar);
    // "--" would make any word after it a plain one; the word must stand alone.
    line.cheatMode = clean && parser.positionalArguments() == QStringList{QStringLiteral("tovu")}
        && !arguments.contains(QStringLiteral("--"));
    return line;
}

} // namespace velmora
