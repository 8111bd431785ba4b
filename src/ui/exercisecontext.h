#pragma once

namespace velmora {

class Clock;
class Feedback;
class Listening;
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
    bool cheatMode;     // decided from the command line at start
};

} // namespace velmora
