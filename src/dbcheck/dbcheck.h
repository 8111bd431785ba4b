#pragma once

#include "music/accessfile.h"

#include <QString>
#include <QStringList>

namespace velmora {

// Checks music data against the rules the exercises rely on and against music theory computed
// here, independently of the data. One line per problem, naming table, record, field and value.
QStringList checkMusicData(const QString &connectionName);

// The command: exit 0 when clean, 1 when problems were found, 2 when the file cannot be read.
// An empty file name checks the built-in data.
int runDbCheck(const QString &fileName, QStringList *output, const AccessReading &accessReading = {});

} // namespace velmora
