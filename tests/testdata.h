#pragma once

#include <QString>

namespace velmora::test {

// Writes a database file holding the built-in data, for a test to change; returns the path.
QString writeDefaultDatabase(const QString &path);

} // namespace velmora::test
