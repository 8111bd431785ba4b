#include "testsupport.h"

#include "exercises/chords/chordquestion.h"
#include "exercises/chords/chordspage.h"
#include "music/notename.h"
#include "ui/pitchbuttons.h"
#include "exercises/relations/relations.h"
#include "exercises/relations/relationspage.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTimer>

namespace velmora::test {

void FakeSoundPlayer::play(const QString &relativePath, QObject *receiver, std::function<void()> heard)
{
    played << relativePath;
    if (onStart)
        onStart(relativePath);
    if (lengthMs <= 0)
        heard();
    else
        QTimer::singleShot(lengthMs, Qt::PreciseTimer, receiver, std::move(heard));
}

void ManualClock::start(QTimer &timer)
{
    const qint64 due = m_now + timer.interval();
    for (Running &running : m_running) {
        if (running.timer == &timer) {
            running.due = due;
            return;
        }
    }
    m_running.push_back({&timer, due});
}

bool ManualClock::isRunning(const QTimer &timer) const
{
    return std::any_of(m_running.begin(), m_running.end(),
                       [&](const Running &running) { return running.timer == &timer; });
}

void ManualClock::advance(int ms)
{
    const qint64 end = m_now + ms;
    for (;;) {
        std::erase_if(m_running, [](const Running &running) { return running.timer.isNull(); });
        auto next = std::min_element(m_running.begin(), m_running.end(),
                                     [](const Running &a, const Running &b) { return a.due < b.due; });
        if (next == m_running.end() || next->due > end)
            break;
        m_now = next->due;
        QTimer *timer = next->timer;
        if (timer->isSingleShot())
            m_running.erase(next);
        else
            next->due += std::max(1, timer->interval());
        // The signal is private to QTimer, but the meta-object emits it as the timer would.
        QMetaObject::invokeMethod(timer, "timeout");
    }
    m_now = end;
}

namespace {

// The name of the first entry of a production table that `matches`, or empty.
template <typename Table, typename Match, typename Name>
QString firstName(const Table &table, Match matches, Name nameOf)
{
    for (const auto &entry : table) {
        if (matches(entry))
            return nameOf(entry);
    }
    return {};
}

} // namespace

void Harness::click(const QString &name)
{
    auto *button = find<QAbstractButton>(name);
    if (!window.isVisible())
        QVERIFY(show());
    auto *tabs = find<QTabWidget>(QStringLiteral("SSTab1"));
    for (QWidget *w = button; w; w = w->parentWidget()) {
        if (tabs->indexOf(w) >= 0) {
            tabs->setCurrentWidget(w); // not through the tab strip, which would empty the verdict
            break;
        }
    }
    // Option buttons and check boxes answer only on their box and caption, not their whole width.
    QRect target = button->rect();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (qobject_cast<QRadioButton *>(button))
        target = button->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &option, button);
    else if (qobject_cast<QCheckBox *>(button))
        target = button->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, button);
    const QPoint centre = target.center();
    QWidget *there = QApplication::widgetAt(button->mapToGlobal(centre));
    if (!QTest::qVerify(button->isVisible() && there == button, "reachable", qPrintable(name + QStringLiteral(" is not reachable")),
                        __FILE__, __LINE__))
        return;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, centre);
}

QTabWidget *Harness::selectTab(const QString &caption) const
{
    auto *tabs = find<QTabWidget>(QStringLiteral("SSTab1"));
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i).contains(caption)) {
            tabs->setCurrentIndex(i);
            break;
        }
    }
    return tabs;
}

QString buttonAccepting(const QString &answer, const char *prefix)
{
    const bool interval = qstrcmp(prefix, "Int_") == 0;
    return firstName(
        pitchClassAnswers(),
        [&](const PitchClassAnswer &b) { return acceptsAnswer(interval ? b.intervalSpellings : b.transposeSpellings, answer); },
        [&](const PitchClassAnswer &b) { return pitchButtonName(prefix, int(&b - pitchClassAnswers().data())); });
}

QString relationsButtonFor(const QString &answer)
{
    return RelationsPage::answerButtonName(answer);
}

QString chordButtonFor(const QString &code)
{
    return chordAnswerFor(code) ? ChordsPage::chordButtonName(code) : QString();
}

QString keyButtonFor(const QString &key)
{
    return ChordsPage::keyButtonName(key);
}

std::pair<QString, QString> splitChordAnswer(const QString &label)
{
    for (const char *key : chordAnswerKeys()) {
        const QString name = QLatin1String(key);
        if (label.startsWith(name) && !chordButtonFor(label.mid(name.size())).isEmpty())
            return {name, label.mid(name.size())};
    }
    return {};
}

} // namespace velmora::test
