#pragma once

// The words of the messages about music files that the program and the data checker share.
#include <QString>

class QSqlError;

namespace velmora {

// SQLite's error in words a teacher understands, with SQLite's own words after them.
QString sqliteCause(const QSqlError &error, const QString &fileName = {});

// Keeps a value quoted in a message to a readable length: data can hold anything.
QString shortened(const QString &value);

// Whether `error` is a lock that another program holds, which passes by itself.
bool isLockError(const QSqlError &error);

} // namespace velmora
