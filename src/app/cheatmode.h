#pragma once

#include "ui/listening.h"

#include <QStringList>

namespace velmora {

// What the command line asks for. The options are taken out first; the answer buttons are then
// revealed only when the single word "tovu" remains.
struct CommandLine
{
    bool cheatMode = false;
    bool plainEnglish = false;
    Listening::Choices listen;
};

// `arguments` is what QApplication leaves after taking its own options, program name first.
inline CommandLine parseCommandLine(QStringList arguments)
{
    CommandLine line;
    line.listen.hearEachQuestion = arguments.removeAll(QStringLiteral("--hear")) > 0;
    line.listen.chordsByEar = arguments.removeAll(QStringLiteral("--by-ear")) > 0;
    line.plainEnglish = arguments.removeAll(QStringLiteral("--english")) > 0;
    line.cheatMode = arguments.size() == 2 && arguments.at(1) == QLatin1String("tovu");
    return line;
}

inline bool cheatModeFromArguments(const QStringList &arguments)
{
    return parseCommandLine(arguments).cheatMode;
}

inline constexpr char Usage[] =
    "Usage: velmora [--hear] [--by-ear] [--english] [tovu]\n"
    "A drill program for music theory: chords, relative keys, transposition and intervals.\n"
    "\n"
    "  --hear     play each new question (the Listen menu's \"Hear each question\")\n"
    "  --by-ear   draw only a chord's bass note and play the chord (\"Chords by ear\")\n"
    "  --english  show the captions in plain English (the View menu's \"Plain English captions\")\n"
    "  --help     show this text and quit\n"
    "  --version  show the version and quit\n"
    "  tovu       show a Cheat button on every tab\n";

} // namespace velmora
