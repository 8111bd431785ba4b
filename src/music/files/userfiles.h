#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velmora {

// The user's data directory for Velmora: $XDG_DATA_HOME/velmora, by default
// ~/.local/share/velmora.
QString userDataDirectory();

// Where a user's own copy of `relativePath` ("Chords-VB.mdb", "sound/1.wav", "trumpet.gif") is
// looked for, in order: the working directory, then the user's data directory. After them comes
// the copy built into the program. An absolute path is looked for only where it says.
QStringList userFileSearch(const QString &relativePath);
// The copy of `relativePath` built into the program, which serves when no user's copy does, so
// that Velmora runs from any directory.
QString builtInAsset(const QString &relativePath);

// A path given as the system's bytes (a command line's), as a name that reaches the same file
// though the bytes are not UTF-8.
QString pathFromBytes(const QByteArray &bytes);

// `path` as a person would read it: a file of a data directory whose name is not UTF-8 by that
// name (its odd bytes shown as replacement characters), not by the descriptor that reaches it.
// The same for a file named by pathFromBytes.
QString shownPath(const QString &path);

// The first of `search` at which anything stands (a broken link or a folder too, which is then
// reported rather than passed over), or empty.
QString firstPresent(const QStringList &search);

} // namespace velmora
