#pragma once

#include <QLoggingCategory>

// Quiet unless enabled with QT_LOGGING_RULES="velmora.startup.info=true": tells a test or a
// benchmark how start-up went without any window to look at.
Q_DECLARE_LOGGING_CATEGORY(lcStartup)
