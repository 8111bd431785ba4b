#include "app/startuplog.h"

Q_LOGGING_CATEGORY(lcStartup, "velmora.startup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWindow, "velmora.window", QtWarningMsg)
