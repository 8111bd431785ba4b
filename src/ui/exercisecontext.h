#pragma once

namespace velmora {

class Clock;
class Feedback;
class Listening;
class PracticeSession;
class MusicDatabase;
class PressGate;
class Prompter;
class RandomSource;
class RecordCursor;

// What every exercise page works with; the main window owns all of it.
struct ExerciseContext
{
    MusicDatabase &database;  // looked at again at every go press
    RecordCursor &ladders;
    RecordCursor &chordKinds;
    RecordCursor &intervals;
    RandomSource &random;
    Clock &clock;
    Prompter &prompter;
    Feedback &feedback;
    PressGate &presses; // every press handler is connected through it
    Listening &listening;
    PracticeSession &practice; // the score's memory: weak spots and kept progress
    bool cheatMode;     // decided from the command line at start
};

} // namespace velmora
