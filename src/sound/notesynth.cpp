#include "sound/notesynth.h"

#include "music/files/userfiles.h"
#include "synth/synthwire.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wire = velmora::synthwire;

namespace velmora {

namespace {

constexpr char SoundFontFolder[] = "/usr/share/sounds/sf2/";

// A file saved anew under the same name is a new file.
QString identityOf(const QFileInfo &info)
{
    return info.filePath() + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|')
        + info.lastModified().toString(Qt::ISODateWithMs);
}

// The SoundFont opened for the child: a regular file (a pipe swapped in cannot block the open or
// anything after it), of a size a SoundFont has, that says it is an SF2 or SF3 bank. FluidSynth
// would hand any other file to libinstpatch's DLS reader.
int openSoundFont(const QString &path, QString *why)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat seen{};
    char header[12] = {};
    if (fd < 0 || ::fstat(fd, &seen) != 0 || !S_ISREG(seen.st_mode)) {
        *why = QStringLiteral("it is not a regular file");
    } else if (seen.st_size > NoteSynth::MaxUserSoundFontBytes) {
        *why = QStringLiteral("it is larger than 64 MB");
    } else if (::pread(fd, header, sizeof header, 0) != ssize_t(sizeof header) || std::memcmp(header, "RIFF", 4) != 0
               || std::memcmp(header + 8, "sfbk", 4) != 0) {
        *why = QStringLiteral("it is not a SoundFont (SF2 or SF3)");
    } else {
        return fd;
    }
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// Reads `size` bytes from the child before `deadline`; false when it ends, is late or says
// something else.
bool readExactly(QProcess &child, char *into, qint64 size, const QDeadlineTimer &deadline)
{
    qint64 got = 0;
    while (got < size) {
        const qint64 n = child.read(into + got, size - got);
        if (n < 0)
            return false;
        got += n;
        if (got < size && (deadline.hasExpired() || !child.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))))
            return false;
    }
    return true;
}

QByteArray readLine(QProcess &child, const QDeadlineTimer &deadline)
{
    while (!child.canReadLine()) {
        // A flood of text is no answer.
        if (child.bytesAvailable() > 256 || deadline.hasExpired()
            || !child.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            return {};
    }
    return child.readLine(256).trimmed();
}

} // namespace

NoteSynth::NoteSynth(QString program) : m_program(std::move(program)) {}

NoteSynth::~NoteSynth()
{
    stop();
}

QString NoteSynth::installedProgram()
{
    const QString name = QStringLiteral("velmora-synth");
    const QString here = QCoreApplication::applicationDirPath();
    // Beside the program in the build tree, in its libexec folder when installed, and one folder up
    // for the build tree's tests and benchmarks.
    for (const QString &place : {here, here + QStringLiteral("/" VELMORA_HELPERS_FROM_BINDIR), here + QStringLiteral("/..")}) {
        const QString program = QDir::cleanPath(place + QLatin1Char('/') + name);
        if (QFileInfo(program).isExecutable())
            return program;
    }
    return here + QLatin1Char('/') + name;
}

QStringList NoteSynth::systemSoundFonts()
{
    QStringList fonts;
    for (const char *name : {"default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2", "default-GM.sf3", "FluidR3_GM.sf3",
                             "MuseScore_General.sf3"})
        fonts << QLatin1String(SoundFontFolder) + QLatin1String(name);
    return fonts;
}

QString NoteSynth::unavailableReason() const
{
    return m_failed.isEmpty() ? missingSoundFont() : m_failed;
}

QString NoteSynth::missingSoundFont()
{
    const QString user = firstPresent(userFileSearch(QStringLiteral("velmora.sf2")));
    const QStringList fonts = systemSoundFonts();
    if (user.isEmpty() && std::ranges::none_of(fonts, [](const QString &f) { return QFileInfo(f).isFile(); }))
        return QStringLiteral("No SoundFont: install timgm6mb-soundfont");
    return {};
}

void NoteSynth::stop()
{
    if (!m_child)
        return;
    // Ended and reaped: no child outlives the SoundFont it was given.
    m_child->kill();
    m_child->waitForFinished(1000);
    m_child.reset();
    m_loadedFont.clear();
}

QString NoteSynth::start(const QString &path)
{
    stop();
    QString why;
    const int fd = openSoundFont(path, &why);
    if (fd < 0)
        return why;
    auto child = std::make_unique<QProcess>();
    child->setProcessChannelMode(QProcess::SeparateChannels);
    child->setStandardErrorFile(QProcess::nullDevice());
    child->setChildProcessModifier([fd] { ::dup2(fd, wire::SoundFontFd); });
    child->start(m_program, {});
    const bool started = child->waitForStarted(LoadTimeoutMs);
    ::close(fd);
    if (!started)
        return QStringLiteral("the synthesizer (%1) cannot be started").arg(m_program);
    const QByteArray said = readLine(*child, QDeadlineTimer(LoadTimeoutMs));
    if (said != "ready") {
        child->kill();
        child->waitForFinished(1000);
        if (said.startsWith("refused "))
            return QString::fromUtf8(said.mid(8));
        return said.isEmpty() ? QStringLiteral("loading it crashed or held the synthesizer too long")
                              : QStringLiteral("loading it made the synthesizer say what it should not");
    }
    m_child = std::move(child);
    m_loadedFont = identityOf(QFileInfo(path));
    return {};
}

std::optional<PcmSound> NoteSynth::renderInChild(const Phrase &phrase, QString *why)
{
    QByteArray request = "render " + QByteArray::number(qsizetype(phrase.notes.size())) + '\n';
    for (const Phrase::Note &note : phrase.notes)
        request += QByteArray::number(note.key) + ' ' + QByteArray::number(note.startMs) + ' ' + QByteArray::number(note.lengthMs) + '\n';
    const QDeadlineTimer deadline(RenderTimeoutMs);
    m_child->write(request);
    const int frames = wire::framesFor(phrase.lengthMs());
    const QByteArray said = readLine(*m_child, deadline);
    PcmSound sound{wire::SampleRate, 2, QByteArray(qsizetype(frames) * 4, Qt::Uninitialized)};
    if (said != "pcm " + QByteArray::number(frames) || !readExactly(*m_child, sound.samples.data(), sound.samples.size(), deadline)) {
        *why = said.isEmpty() || said.startsWith("pcm ") ? QStringLiteral("rendering with it crashed or held the synthesizer too long")
                                                        : QStringLiteral("rendering with it gave more than was asked for");
        return std::nullopt;
    }
    const auto *samples = reinterpret_cast<const qint16 *>(sound.samples.constData());
    if (std::all_of(samples, samples + qsizetype(frames) * 2, [](qint16 s) { return s == 0; })) {
        *why = QStringLiteral("it plays nothing for a piano");
        return std::nullopt;
    }
    return sound;
}

std::optional<PcmSound> NoteSynth::render(const Phrase &phrase, QString *problem)
{
    const auto fail = [&](const QString &why) -> std::optional<PcmSound> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (!m_failed.isEmpty())
        return fail(m_failed);
    if (phrase.isEmpty() || int(phrase.notes.size()) > wire::MaxNotes || phrase.lengthMs() > wire::MaxPhraseMs)
        return std::nullopt;

    // The user's own SoundFont first, while it is usable; reported once (per file and version) if not.
    const QString user = firstPresent(userFileSearch(QStringLiteral("velmora.sf2")));
    const QString userIdentity = user.isEmpty() ? QString() : identityOf(QFileInfo(user));
    const auto refuseUser = [&](const QString &why) {
        m_refusedUserFont = userIdentity;
        stop();
        if (problem)
            *problem = QStringLiteral("%1 cannot be played: %2; the system's SoundFont plays instead.").arg(shownPath(user), why);
    };
    const bool userWanted = !user.isEmpty() && userIdentity != m_refusedUserFont;
    if (userWanted && m_loadedFont != userIdentity) {
        if (const QString why = start(user); !why.isEmpty())
            refuseUser(why);
    }
    if (m_child && m_loadedFont == userIdentity && userWanted) {
        QString why;
        if (std::optional<PcmSound> sound = renderInChild(phrase, &why))
            return sound;
        refuseUser(why);
    }

    // The system's SoundFont: one that fails leaves the Listen items saying why.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!m_child || m_loadedFont == userIdentity) {
            QString why = QStringLiteral("no SoundFont is installed");
            bool started = false;
            for (const QString &font : systemSoundFonts()) {
                if (QFileInfo(font).isFile() && (why = start(font)).isEmpty()) {
                    started = true;
                    break;
                }
            }
            if (!started) {
                m_failed = QStringLiteral("No SoundFont could be loaded (%1): install timgm6mb-soundfont").arg(why);
                return fail(m_failed);
            }
        }
        QString why;
        if (std::optional<PcmSound> sound = renderInChild(phrase, &why))
            return sound;
        stop(); // a fresh child for the second try
        if (attempt == 1) {
            m_failed = QStringLiteral("The system's SoundFont cannot be played: %1").arg(why);
            return fail(m_failed);
        }
    }
    return std::nullopt;
}

} // namespace velmora
