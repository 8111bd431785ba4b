#pragma once

#include <QCoreApplication>
#include <QDir>
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

// The PID of this process's child running `name`; empty when there is none.
inline QString childNamed(const QByteArray &name)
{
    const QByteArray self = QByteArray::number(qint64(QCoreApplication::applicationPid()));
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ..."; comm may hold blanks, so the fields after its ")" count.
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> after = line.mid(close + 2).split(' ');
        if (close > 0 && after.size() > 1 && after[1] == self && line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1) == name)
            return pid;
    }
    return {};
}

} // namespace velmora::bench
