#pragma once

#include <QString>

namespace velmora {

// "trumpet.gif": the first copy in the user's search that is a picture of a sensible size, else
// the built-in one.
QString movieFile(const QString &relativePath);

} // namespace velmora
