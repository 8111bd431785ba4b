#pragma once

#include <QFile>
#include <QString>

namespace velmora::bench {

// A process's peak resident memory in megabytes (VmHWM), this process's by default; 0 when the
// process has gone.
inline double peakMegabytes(const QString &pid = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace velmora::bench
