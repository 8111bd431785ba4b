#pragma once

#include <QString>

namespace velmora::test {

// Writes a database file holding the built-in data, for a test to change; returns the path.
QString writeDefaultDatabase(const QString &path);

// Runs statements on the file through a connection of its own, as another program editing the
// file would; fails the test on an error.
void editDatabase(const QString &path, const QStringList &statements);

} // namespace velmora::test
