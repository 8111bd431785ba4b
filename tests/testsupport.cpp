#include "testsupport.h"

#include "chordquestion.h"
#include "notename.h"
#include "relations.h"

namespace velmora::test {

QString buttonAccepting(const QString &answer, const char *prefix)
{
    const bool interval = qstrcmp(prefix, "Int_") == 0;
    for (const PitchClassButton &button : pitchClassButtons()) {
        if (acceptsAnswer(interval ? button.intervalSpellings : button.transposeSpellings, answer))
            return QLatin1String(prefix) + QLatin1String(button.nameSuffix);
    }
    return {};
}

QString relationsButtonFor(const QString &answer)
{
    for (const RelationsButton &button : relationsButtons()) {
        if (QLatin1String(button.answer) == answer)
            return QLatin1String(button.objectName);
    }
    return {};
}

std::pair<QString, QString> splitChordAnswer(const QString &label)
{
    for (const KeyOption &key : keyOptions()) {
        const QString name = QLatin1String(key.key);
        if (label.startsWith(name) && !chordButtonFor(label.mid(name.size())).isEmpty())
            return {name, label.mid(name.size())};
    }
    return {};
}

QString chordButtonFor(const QString &code)
{
    for (const ChordButton &button : chordButtons()) {
        if (QLatin1String(button.code) == code)
            return QLatin1String(button.objectName);
    }
    return {};
}

QString keyButtonFor(const QString &key)
{
    for (const KeyOption &option : keyOptions()) {
        if (QLatin1String(option.key) == key)
            return QLatin1String(option.objectName);
    }
    return {};
}

} // namespace velmora::test
