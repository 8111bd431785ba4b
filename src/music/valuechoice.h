#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace velmora {

// Which values of a field a question may be drawn with: every value (those the tables hold now and
// any they hold later), or the values a player chose. A player chooses from boxes made from what
// the tables held at the time; values beyond the boxes a page can show are chosen together.
class ValueChoice
{
public:
    ValueChoice() = default; // every value
    // `listed` are the values that had a box of their own; with `others`, every value not among
    // them is chosen too.
    static ValueChoice only(QSet<QString> chosen, QSet<QString> listed = {}, bool others = false);

    bool isAll() const { return m_all; }
    bool allows(const QString &value) const;
    bool operator==(const ValueChoice &) const = default;

    const QSet<QString> &chosen() const { return m_chosen; }
    bool othersChosen() const { return m_others; }
    // The values that had boxes of their own, when others are chosen too.
    const QSet<QString> &listed() const { return m_listed; }

    // As kept between starts: "*" for every value, else a JSON object; an unreadable text is every value.
    QString toText() const;
    static ValueChoice fromText(const QString &text);

private:
    bool m_all = true;
    bool m_others = false;
    QSet<QString> m_chosen;
    QSet<QString> m_listed;
};

// The fifteen major keys as "Ladders" names them, round the circle of fifths from C: the sharp
// keys, then the flat keys.
const QStringList &keysByFifths();
// Sharps (positive) or flats (negative) in the signature of a major key; nothing for any other name.
std::optional<int> keySignature(QStringView key);

} // namespace velmora
