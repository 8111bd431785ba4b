#include "assets.h"

#include <QFile>
#include <QFileInfo>
#include <QMovie>
#include <QtEndian>

namespace velmora {

namespace {

quint32 le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

} // namespace

QString builtInAsset(const QString &relativePath)
{
    return QStringLiteral(":/") + relativePath;
}

WavInfo inspectWav(const QByteArray &contents)
{
    if (contents.size() < 12 || !contents.startsWith("RIFF") || contents.mid(8, 4) != "WAVE")
        return {};
    bool pcm = false;
    quint32 byteRate = 0;
    qsizetype at = 12;
    while (at + 8 <= contents.size()) {
        const QByteArray id = contents.mid(at, 4);
        const quint32 size = le32(contents, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= contents.size()) {
            const quint16 format = le16(contents, body);
            const quint16 bits = le16(contents, body + 14);
            byteRate = le32(contents, body + 8);
            pcm = format == 1 && (bits == 8 || bits == 16) && byteRate > 0;
        } else if (id == "data") {
            if (!pcm || size == 0)
                return {};
            const qint64 available = qMin<qint64>(size, contents.size() - body);
            return {true, int(available * 1000 / byteRate)};
        }
        at = body + size + (size & 1);
    }
    return {};
}

WavInfo inspectWavFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return inspectWav(file.readAll());
}

QString soundFile(const QString &relativePath)
{
    if (QFileInfo(relativePath).isFile() && inspectWavFile(relativePath).playable)
        return QFileInfo(relativePath).absoluteFilePath();
    return builtInAsset(relativePath);
}

QString movieFile(const QString &relativePath)
{
    if (QFileInfo(relativePath).isFile()) {
        QMovie probe(relativePath);
        if (probe.isValid() && probe.frameCount() != 0)
            return QFileInfo(relativePath).absoluteFilePath();
    }
    return builtInAsset(relativePath);
}

} // namespace velmora
