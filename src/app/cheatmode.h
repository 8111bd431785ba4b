#pragma once

#include <QStringList>

namespace velmora {

// The answer buttons are revealed only when the program is started with the single word "tovu".
// `arguments` is what QApplication leaves after taking its own options, program name first.
inline bool cheatModeFromArguments(const QStringList &arguments)
{
    return arguments.size() == 2 && arguments.at(1) == QLatin1String("tovu");
}

} // namespace velmora
