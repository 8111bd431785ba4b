<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Velmora</name>
    <message>
        <source>About Velmora</source>
        <translation>About Velmora</translation>
    </message>
    <message>
        <source>Velmora</source>
        <translation>Velmora</translation>
    </message>
    <message>
        <source>Play Tune?</source>
        <translation>Play the tune?</translation>
    </message>
    <message>
        <source>Version:  </source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Intervals</source>
        <translation>Intervals</translation>
    </message>
    <message>
        <source>Mineur / Majeur Relations </source>
        <translation>Relative Minor / Major</translation>
    </message>
    <message>
        <source>Chords</source>
        <translation>Chords</translation>
    </message>
    <message>
        <source>Transpose</source>
        <translation>Transpose</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>presses the shown tab&apos;s go button: the next question</source>
        <translation>presses the shown tab&apos;s go button: the next question</translation>
    </message>
    <message>
        <source>Return, Enter</source>
        <translation>Return, Enter</translation>
    </message>
    <message>
        <source>presses the focused button; elsewhere the go button</source>
        <translation>presses the focused button; elsewhere the go button</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>presses the focused button</source>
        <translation>presses the focused button</translation>
    </message>
    <message>
        <source>Tab, Shift+Tab</source>
        <translation>Tab, Shift+Tab</translation>
    </message>
    <message>
        <source>moves through the page in reading order</source>
        <translation>moves through the page in reading order</translation>
    </message>
    <message>
        <source>Ctrl+Tab, Ctrl+PgDown</source>
        <translation>Ctrl+Tab, Ctrl+PgDown</translation>
    </message>
    <message>
        <source>shows the next tab</source>
        <translation>shows the next tab</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>plays the question</source>
        <translation>plays the question</translation>
    </message>
    <message>
        <source>Alt+P</source>
        <translation>Alt+P</translation>
    </message>
    <message>
        <source>opens the Practice menu</source>
        <translation>opens the Practice menu</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Exit, with its question</source>
        <translation>Exit, with its question</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Play the question</source>
        <translation>Play the question</translation>
    </message>
    <message>
        <source>Hear each question</source>
        <translation>Hear each question</translation>
    </message>
    <message>
        <source>Chords by ear</source>
        <translation>Chords by ear</translation>
    </message>
    <message>
        <source>&amp;Practice</source>
        <translation>&amp;Practice</translation>
    </message>
    <message>
        <source>Practice</source>
        <translation>Practice</translation>
    </message>
    <message>
        <source>Choose what to drill...</source>
        <translation>Choose what to drill...</translation>
    </message>
    <message>
        <source>Show my score</source>
        <translation>Show my score</translation>
    </message>
    <message>
        <source>Reset my score</source>
        <translation>Reset my score</translation>
    </message>
    <message>
        <source>Show the answer</source>
        <translation>Show the answer</translation>
    </message>
    <message>
        <source>View</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Plain English captions</source>
        <translation>Plain English captions</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>Credits and licence</source>
        <translation>Credits and licence</translation>
    </message>
    <message>
        <source>Exercises</source>
        <translation>Exercises</translation>
    </message>
    <message>
        <source>Sound off</source>
        <translation>Sound off</translation>
    </message>
    <message>
        <source>Key: %1</source>
        <translation>Key: %1</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Quiting</source>
        <translation>Quitting</translation>
    </message>
    <message>
        <source>Quit Program?</source>
        <translation>Quit Velmora?</translation>
    </message>
    <message>
        <source>Questions can be heard</source>
        <translation>Questions can be heard</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>What it does</source>
        <translation>What it does</translation>
    </message>
    <message>
        <source> or </source>
        <translation> or </translation>
    </message>
    <message>
        <source>none found</source>
        <translation>none found</translation>
    </message>
    <message>
        <source>%1, your own</source>
        <translation>%1, your own</translation>
    </message>
    <message>
        <source>%1 (%2, from Debian&apos;s timgm6mb-soundfont: TimGM6mb by Tim Brechbill, GNU GPL 2)</source>
        <translation>%1 (%2, from Debian&apos;s timgm6mb-soundfont: TimGM6mb by Tim Brechbill, GNU GPL 2)</translation>
    </message>
    <message>
        <source>Velmora is now loading............</source>
        <translation>Velmora is loading...</translation>
    </message>
    <message>
        <source>Majeur 3  +5</source>
        <translation>Major 3 +5</translation>
    </message>
    <message>
        <source>Majeur 3</source>
        <translation>Major 3</translation>
    </message>
    <message>
        <source>Majeur 7</source>
        <translation>Major 7</translation>
    </message>
    <message>
        <source>Majeur 7 +5</source>
        <translation>Major 7 +5</translation>
    </message>
    <message>
        <source>Majeur 9</source>
        <translation>Major 9</translation>
    </message>
    <message>
        <source>Majeur 11</source>
        <translation>Major 11</translation>
    </message>
    <message>
        <source>Majeur 13</source>
        <translation>Major 13</translation>
    </message>
    <message>
        <source>Majeur +13</source>
        <translation>Major +13</translation>
    </message>
    <message>
        <source>Majeur 13 +11</source>
        <translation>Major 13 +11</translation>
    </message>
    <message>
        <source>Sus4 drieklnk</source>
        <translation>Sus4 triad</translation>
    </message>
    <message>
        <source>Mineur 3</source>
        <translation>Minor 3</translation>
    </message>
    <message>
        <source>Mineur 7</source>
        <translation>Minor 7</translation>
    </message>
    <message>
        <source>Mineur/maj 7</source>
        <translation>Minor/maj 7</translation>
    </message>
    <message>
        <source>Mineur 7 b5</source>
        <translation>Minor 7 b5</translation>
    </message>
    <message>
        <source>Mineur 9</source>
        <translation>Minor 9</translation>
    </message>
    <message>
        <source>Mineur 11</source>
        <translation>Minor 11</translation>
    </message>
    <message>
        <source>Mineur 13</source>
        <translation>Minor 13</translation>
    </message>
    <message>
        <source>Dim 3</source>
        <translation>Dim 3</translation>
    </message>
    <message>
        <source>Dim 7</source>
        <translation>Dim 7</translation>
    </message>
    <message>
        <source>Dominant 7</source>
        <translation>Dominant 7</translation>
    </message>
    <message>
        <source>Dominant 7 b5</source>
        <translation>Dominant 7 b5</translation>
    </message>
    <message>
        <source>Dominant 7 +5</source>
        <translation>Dominant 7 +5</translation>
    </message>
    <message>
        <source>Dominant 9</source>
        <translation>Dominant 9</translation>
    </message>
    <message>
        <source>Dominant 7 b9</source>
        <translation>Dominant 7 b9</translation>
    </message>
    <message>
        <source>Dominant 11</source>
        <translation>Dominant 11</translation>
    </message>
    <message>
        <source>Dominant +11</source>
        <translation>Dominant +11</translation>
    </message>
    <message>
        <source>Dom. 13   +11</source>
        <translation>Dom. 13 +11</translation>
    </message>
    <message>
        <source>Dom    13   b5</source>
        <translation>Dom. 13 b5</translation>
    </message>
    <message>
        <source>Dom.   13   +5</source>
        <translation>Dom. 13 +5</translation>
    </message>
    <message>
        <source>Uitgeschakeld</source>
        <translation>Hidden</translation>
    </message>
    <message>
        <source>GO!</source>
        <translation>GO!</translation>
    </message>
    <message>
        <source>Question</source>
        <translation>Question</translation>
    </message>
    <message>
        <source> </source>
        <translation> </translation>
    </message>
    <message>
        <source>List the notes</source>
        <translation>List the notes</translation>
    </message>
    <message>
        <source>Click on Go! for first question</source>
        <translation>Press Go! for a question</translation>
    </message>
    <message>
        <source>Check1</source>
        <translation>Check1</translation>
    </message>
    <message>
        <source>Random order</source>
        <translation>Random order</translation>
    </message>
    <message>
        <source>Notes of the chord</source>
        <translation>Notes of the chord</translation>
    </message>
    <message>
        <source>  9, 11, 13 excluded</source>
        <translation>  9, 11, 13 excluded</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>Purpose: Name the given Chords</source>
        <translation>Purpose: Name the chord shown</translation>
    </message>
    <message>
        <source>Label1</source>
        <translation>Label1</translation>
    </message>
    <message>
        <source>geen verwijzing!</source>
        <translation>Unknown chord kind!</translation>
    </message>
    <message>
        <source>Chord: %1</source>
        <translation>Chord: %1</translation>
    </message>
    <message>
        <source>Lowest note: %1</source>
        <translation>Lowest note: %1</translation>
    </message>
    <message>
        <source>Bass: %1</source>
        <translation>Bass: %1</translation>
    </message>
    <message>
        <source>goed</source>
        <translation>Right!</translation>
    </message>
    <message>
        <source>Chord on the grand staff</source>
        <translation>Chord on the grand staff</translation>
    </message>
    <message>
        <source>Prime</source>
        <translation>Prime</translation>
    </message>
    <message>
        <source>Minor Second</source>
        <translation>Minor Second</translation>
    </message>
    <message>
        <source>Major Second</source>
        <translation>Major Second</translation>
    </message>
    <message>
        <source>Minor Third</source>
        <translation>Minor Third</translation>
    </message>
    <message>
        <source>Major Third</source>
        <translation>Major Third</translation>
    </message>
    <message>
        <source>Perfect Fourth</source>
        <translation>Perfect Fourth</translation>
    </message>
    <message>
        <source>Augmented Fourth</source>
        <translation>Augmented Fourth</translation>
    </message>
    <message>
        <source>Fifth</source>
        <translation>Fifth</translation>
    </message>
    <message>
        <source>Minor Sixth</source>
        <translation>Minor Sixth</translation>
    </message>
    <message>
        <source>Major Sixth</source>
        <translation>Major Sixth</translation>
    </message>
    <message>
        <source>Minor Seventh</source>
        <translation>Minor Seventh</translation>
    </message>
    <message>
        <source>Major Seventh</source>
        <translation>Major Seventh</translation>
    </message>
    <message>
        <source>Octave</source>
        <translation>Octave</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>The note to start with is an:</source>
        <translation>The start note is:</translation>
    </message>
    <message>
        <source>--</source>
        <translation>--</translation>
    </message>
    <message>
        <source>The Interval is:</source>
        <translation>The interval:</translation>
    </message>
    <message>
        <source>The direction is:</source>
        <translation>The direction:</translation>
    </message>
    <message>
        <source>Cheat</source>
        <translation>Cheat</translation>
    </message>
    <message>
        <source>cheat</source>
        <translation>cheat</translation>
    </message>
    <message>
        <source>Answer sounds like an</source>
        <translation>The answer note</translation>
    </message>
    <message>
        <source>Purpose: Find the note to complete the asked interval. Use the start note and follow the given direction in order to succeed.</source>
        <translation>Purpose: Find the note that completes the interval asked. Start from the start note and go in the given direction.</translation>
    </message>
    <message>
        <source>No Intervalls selected!</source>
        <translation>No intervals selected!</translation>
    </message>
    <message>
        <source>From %1, %2, %3</source>
        <translation>From %1, %2, %3</translation>
    </message>
    <message>
        <source>C min</source>
        <translation>C min</translation>
    </message>
    <message>
        <source>C# min</source>
        <translation>C# min</translation>
    </message>
    <message>
        <source>D min</source>
        <translation>D min</translation>
    </message>
    <message>
        <source>D# min</source>
        <translation>D# min</translation>
    </message>
    <message>
        <source>Eb min</source>
        <translation>Eb min</translation>
    </message>
    <message>
        <source>E min</source>
        <translation>E min</translation>
    </message>
    <message>
        <source>F min</source>
        <translation>F min</translation>
    </message>
    <message>
        <source>F# min</source>
        <translation>F# min</translation>
    </message>
    <message>
        <source>G min</source>
        <translation>G min</translation>
    </message>
    <message>
        <source>G#min</source>
        <translation>G# min</translation>
    </message>
    <message>
        <source>Ab min</source>
        <translation>Ab min</translation>
    </message>
    <message>
        <source>A min</source>
        <translation>A min</translation>
    </message>
    <message>
        <source>A# min</source>
        <translation>A# min</translation>
    </message>
    <message>
        <source>Bb min</source>
        <translation>Bb min</translation>
    </message>
    <message>
        <source>B min</source>
        <translation>B min</translation>
    </message>
    <message>
        <source>C maj</source>
        <translation>C maj</translation>
    </message>
    <message>
        <source>C# maj</source>
        <translation>C# maj</translation>
    </message>
    <message>
        <source>Db maj</source>
        <translation>Db maj</translation>
    </message>
    <message>
        <source>D maj</source>
        <translation>D maj</translation>
    </message>
    <message>
        <source>Eb maj</source>
        <translation>Eb maj</translation>
    </message>
    <message>
        <source>E maj</source>
        <translation>E maj</translation>
    </message>
    <message>
        <source>F maj</source>
        <translation>F maj</translation>
    </message>
    <message>
        <source>F# maj</source>
        <translation>F# maj</translation>
    </message>
    <message>
        <source>Gb maj</source>
        <translation>Gb maj</translation>
    </message>
    <message>
        <source>G maj</source>
        <translation>G maj</translation>
    </message>
    <message>
        <source>Ab maj</source>
        <translation>Ab maj</translation>
    </message>
    <message>
        <source>A maj</source>
        <translation>A maj</translation>
    </message>
    <message>
        <source>Bb maj</source>
        <translation>Bb maj</translation>
    </message>
    <message>
        <source>B maj</source>
        <translation>B maj</translation>
    </message>
    <message>
        <source>Cb maj</source>
        <translation>Cb maj</translation>
    </message>
    <message>
        <source>Go!</source>
        <translation>Go!</translation>
    </message>
    <message>
        <source>Majeur Question</source>
        <translation>Major question</translation>
    </message>
    <message>
        <source>Mineur Question</source>
        <translation>Minor question</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Both</translation>
    </message>
    <message>
        <source>Chord given</source>
        <translation>Chord given</translation>
    </message>
    <message>
        <source>Purpose: Find the Mineur or Majeur Chord which is related to the Chord Given.</source>
        <translation>Purpose: Find the minor or major chord that is related to the chord given.</translation>
    </message>
    <message>
        <source>C Instrument</source>
        <translation>C Instrument</translation>
    </message>
    <message>
        <source>Bb Instrument</source>
        <translation>Bb Instrument</translation>
    </message>
    <message>
        <source>Eb Instrument</source>
        <translation>Eb Instrument</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>Score is for an:  </source>
        <translation>Score written for:</translation>
    </message>
    <message>
        <source>Instrument to play:    </source>
        <translation>Instrument to play:</translation>
    </message>
    <message>
        <source>Note on Score is an:</source>
        <translation>Written note:</translation>
    </message>
    <message>
        <source>Note to Play is like an: </source>
        <translation>Note to play:</translation>
    </message>
    <message>
        <source>Purpose: Select the majeur key of the score and the instrument that should be played. In order to answer the question you need to transpose the given note correctly.</source>
        <translation>Purpose: Choose the instrument the score is written for and the instrument that plays it, then transpose the written note.</translation>
    </message>
    <message>
        <source>Score for %1 instrument, note %2</source>
        <translation>Score for %1 instrument, note %2</translation>
    </message>
    <message>
        <source>Trumpet</source>
        <translation>Trumpet</translation>
    </message>
    <message>
        <source>Your Answer Was Correct!</source>
        <translation>Your Answer Was Correct!</translation>
    </message>
    <message>
        <source>Your Answer Was Incorrect! Try Again!</source>
        <translation>Your Answer Was Incorrect! Try Again!</translation>
    </message>
    <message>
        <source>Separator line</source>
        <translation>Separator line</translation>
    </message>
    <message>
        <source>Keep my progress</source>
        <translation>Keep my progress</translation>
    </message>
    <message>
        <source>Practise my weak spots</source>
        <translation>Practise my weak spots</translation>
    </message>
    <message>
        <source>Progress...</source>
        <translation>Progress...</translation>
    </message>
    <message>
        <source>Delete what was kept in %1?</source>
        <translation>Delete what was kept in %1?</translation>
    </message>
    <message>
        <source>From now on your answers, what you chose to drill, the menus&apos; ticks and the tabs&apos; options are kept in %1.</source>
        <translation>From now on your answers, what you chose to drill, the menus&apos; ticks and the tabs&apos; options are kept in %1.</translation>
    </message>
    <message>
        <source>%1 score, %2 plays</source>
        <translation>%1 score, %2 plays</translation>
    </message>
    <message>
        <source>%1 now asks only the selected rows%2.</source>
        <translation>%1 now asks only the selected rows%2.</translation>
    </message>
    <message>
        <source> and columns</source>
        <translation> and columns</translation>
    </message>
    <message>
        <source>Velmora %1

Licence: MIT (see the file copyright beside the program&apos;s documentation).
Font: Liberation Sans 2, SIL Open Font License 1.1.
SoundFont: %2.
Your own files (Chords-VB.mdb, sound/1.wav to 4.wav, trumpet.gif, velmora.sf2) are looked for in the working directory, then in %3.
Your progress, while &quot;Keep my progress&quot; is ticked, is kept in %4.</source>
        <translation>Velmora %1

Licence: MIT (see the file copyright beside the program&apos;s documentation).
Font: Liberation Sans 2, SIL Open Font License 1.1.
SoundFont: %2.
Your own files (Chords-VB.mdb, sound/1.wav to 4.wav, trumpet.gif, velmora.sf2) are looked for in the working directory, then in %3.
Your progress, while &quot;Keep my progress&quot; is ticked, is kept in %4.</translation>
    </message>
</context>
<context>
    <name>velmora::ChordsPage</name>
    <message>
        <source>Right kind, wrong key</source>
        <translation>Right kind, wrong key</translation>
    </message>
    <message>
        <source>Right key, wrong kind</source>
        <translation>Right key, wrong kind</translation>
    </message>
    <message>
        <source>Key and kind both wrong</source>
        <translation>Key and kind both wrong</translation>
    </message>
</context>
<context>
    <name>velmora::DrillDialog</name>
    <message>
        <source>Choose what to drill</source>
        <translation>Choose what to drill</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Up to N sharps or flats</source>
        <translation>Up to N sharps or flats</translation>
    </message>
    <message>
        <source>Up to %1 sharps or flats</source>
        <translation>Up to %1 sharps or flats</translation>
    </message>
    <message>
        <source>Keys up to a number of sharps or flats</source>
        <translation>Keys up to a number of sharps or flats</translation>
    </message>
    <message>
        <source>Chord kinds</source>
        <translation>Chord kinds</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>Major</translation>
    </message>
    <message>
        <source>Minor</source>
        <translation>Minor</translation>
    </message>
    <message>
        <source>Dominant</source>
        <translation>Dominant</translation>
    </message>
    <message>
        <source>Other codes</source>
        <translation>Other codes</translation>
    </message>
    <message>
        <source>Triads</source>
        <translation>Triads</translation>
    </message>
    <message>
        <source>Seventh chords</source>
        <translation>Seventh chords</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>Every value that has no box of its own</source>
        <translation>Every value that has no box of its own</translation>
    </message>
    <message>
        <source>%1: choose at least one of the %2.</source>
        <translation>%1: choose at least one of the %2.</translation>
    </message>
    <message>
        <source>%1: choose at least one chord kind.</source>
        <translation>%1: choose at least one chord kind.</translation>
    </message>
</context>
<context>
    <name>velmora::ExercisePage</name>
    <message>
        <source>Answer: %1</source>
        <translation>Answer: %1</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>Keys</translation>
    </message>
</context>
<context>
    <name>velmora::IntervalsPage</name>
    <message>
        <source>Start notes</source>
        <translation>Start notes</translation>
    </message>
</context>
<context>
    <name>velmora::MainWindow</name>
    <message>
        <source>Score</source>
        <translation>Score</translation>
    </message>
</context>
<context>
    <name>velmora::ProgressWindow</name>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>Since Velmora started</source>
        <translation>Since Velmora started</translation>
    </message>
    <message>
        <source>Today</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>The last seven days</source>
        <translation>The last seven days</translation>
    </message>
    <message>
        <source>All time</source>
        <translation>All time</translation>
    </message>
    <message>
        <source>%1: first-try rate per question</source>
        <translation>%1: first-try rate per question</translation>
    </message>
    <message>
        <source>Practise these</source>
        <translation>Practise these</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>%1, %2: never asked</source>
        <translation>%1, %2: never asked</translation>
    </message>
    <message>
        <source>%1, %2: asked %3 times, right at the first try %4 times (%5 %), %6 s an answer</source>
        <translation>%1, %2: asked %3 times, right at the first try %4 times (%5 %), %6 s an answer</translation>
    </message>
    <message>
        <source>Select the questions to practise first.</source>
        <translation>Select the questions to practise first.</translation>
    </message>
    <message>
        <source>The choice lets through %1 questions, more than the %2 selected.</source>
        <translation>The choice lets through %1 questions, more than the %2 selected.</translation>
    </message>
    <message>
        <source>Export the kept answers</source>
        <translation>Export the kept answers</translation>
    </message>
    <message>
        <source>The kept answers were written to %1.</source>
        <translation>The kept answers were written to %1.</translation>
    </message>
    <message>
        <source>The kept answers could not be written to %1.</source>
        <translation>The kept answers could not be written to %1.</translation>
    </message>
</context>
<context>
    <name>velmora::RelationsPage</name>
    <message>
        <source>Major keys</source>
        <translation>Major keys</translation>
    </message>
</context>
<context>
    <name>velmora::TransposePage</name>
    <message>
        <source>Written notes</source>
        <translation>Written notes</translation>
    </message>
</context>
</TS>
