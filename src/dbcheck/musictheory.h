#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace velmora::theory {

// Music arithmetic for checking data only: the program itself never derives a spelling.

std::optional<int> pitchClass(QStringView note); // C = 0 .. B = 11; nullopt for a malformed name

// The spelling of a "Ladders" degree field ("b3", "+11", "bb7" ...) in a major key.
std::optional<QString> degreeSpelling(QStringView key, QStringView degreeField);

// The note that completes the named interval from `start` going "up" or "down".
std::optional<QString> intervalCompletion(QStringView start, QStringView intervalName, QStringView direction);

} // namespace velmora::theory
