#pragma once

#include "practice/progressstore.h"
#include "practice/weakspots.h"

#include <QHash>
#include <QObject>

#include <memory>

namespace velmora {

// A player's practice while the program runs: the weak spots and the figures of the mastery map,
// in memory, and with "Keep my progress" the file they are kept in.
class PracticeSession : public QObject
{
    Q_OBJECT
public:
    explicit PracticeSession(QObject *parent = nullptr);
    ~PracticeSession() override;

    WeakSpots &weakSpots() { return m_weakSpots; }
    bool practisingWeakSpots() const { return m_practisingWeakSpots; }
    void setPractisingWeakSpots(bool on) { m_practisingWeakSpots = on; }

    // Keeps from now on in `path`, the weak spots kept there taking over; empty when it can.
    QString startKeeping(const QString &path, ProgressStore::Check check = ProgressStore::Check::Whole);
    // Stops keeping; `forget` deletes what was kept, else the file is left as it is.
    bool stopKeeping(bool forget);
    bool keeping() const { return m_store && m_store->isOpen(); }
    ProgressStore *store() { return keeping() ? m_store.get() : nullptr; }

    // Checks the whole kept file (after a quick open at start) and writes `settings` into it.
    void verifyKept();
    void keepSettings(const QHash<QString, QString> &settings);

    // What the tabs tell.
    void questionAsked(const QString &tab);
    void firstTry(const QString &tab, const QuestionCell &question, bool right);
    void answered(const KeptAnswer &answer);

    // First judged answers per question of `tab` since the program started.
    const QHash<QuestionCell, CellFigures> &sessionFigures(const QString &tab) { return m_session[tab]; }

signals:
    // The kept file cannot be written any more: said once, and keeping stops.
    void keepingFailed(const QString &reason);

private:
    void check(const QString &problem);

    WeakSpots m_weakSpots;
    bool m_practisingWeakSpots = false;
    std::unique_ptr<ProgressStore> m_store;
    QHash<QString, QHash<QuestionCell, CellFigures>> m_session;
};

} // namespace velmora
