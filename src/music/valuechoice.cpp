#include "music/valuechoice.h"

namespace velmora {

ValueChoice ValueChoice::only(QSet<QString> chosen, QSet<QString> listed, bool others)
{
    ValueChoice choice;
    choice.m_all = false;
    choice.m_chosen = std::move(chosen);
    choice.m_others = others;
    if (others)
        choice.m_listed = std::move(listed);
    return choice;
}

bool ValueChoice::allows(const QString &value) const
{
    return m_all || m_chosen.contains(value) || (m_others && !m_listed.contains(value));
}

const QStringList &keysByFifths()
{
    static const QStringList keys{
        QStringLiteral("C"),  QStringLiteral("G"),  QStringLiteral("D"),  QStringLiteral("A"),  QStringLiteral("E"),
        QStringLiteral("B"),  QStringLiteral("F#"), QStringLiteral("C#"), QStringLiteral("F"),  QStringLiteral("Bb"),
        QStringLiteral("Eb"), QStringLiteral("Ab"), QStringLiteral("Db"), QStringLiteral("Gb"), QStringLiteral("Cb"),
    };
    return keys;
}

std::optional<int> keySignature(QStringView key)
{
    const qsizetype at = keysByFifths().indexOf(key);
    if (at < 0)
        return std::nullopt;
    return at <= 7 ? int(at) : -int(at - 7);
}

} // namespace velmora
