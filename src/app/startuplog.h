#pragma once

#include <QLoggingCategory>

// Quiet unless enabled with QT_LOGGING_RULES="velmora.startup.info=true": tells a test, a
// benchmark or a user asking why their file is not read how start-up went (which music data, the
// cheat mode, the window's first expose) without any window to look at.
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// Quiet unless enabled with QT_LOGGING_RULES="velmora.window.debug=true": when the window changed
// what it shows, for a test that clicks through a real X server and cannot look inside.
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
