#include "music/valuechoice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

QString ValueChoice::toText() const
{
    if (m_all)
        return QStringLiteral("*");
    const auto list = [](const QSet<QString> &values) {
        QStringList sorted(values.begin(), values.end());
        sorted.sort();
        return QJsonArray::fromStringList(sorted);
    };
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("chosen"), list(m_chosen)},
                                                       {QStringLiteral("listed"), list(m_listed)},
                                                       {QStringLiteral("others"), m_others}})
                                 .toJson(QJsonDocument::Compact));
}

ValueChoice ValueChoice::fromText(const QString &text)
{
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    if (object.isEmpty())
        return {};
    const auto set = [&object](const char *name) {
        QSet<QString> values;
        for (const QJsonValue &value : object.value(QLatin1String(name)).toArray())
            values.insert(value.toString());
        return values;
    };
    return only(set("chosen"), set("listed"), object.value(QStringLiteral("others")).toBool());
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
