#pragma once

#include "ui/listening.h"

#include <QStringList>

namespace velmora {

// What the command line asks for. The options are known ones; the answer buttons are revealed
// only when the single word "tovu" is all that remains, with nothing unknown beside it.
struct CommandLine
{
    bool help = false;
    bool version = false;
    bool cheatMode = false;
    bool plainEnglish = false;
    Listening::Choices listen;

    // `arguments`: program name first; after QApplication has taken its own options, for the cheat
    // mode. Unknown options and words are never an error: they leave the cheat mode off.
    static CommandLine parse(const QStringList &arguments);
};

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
