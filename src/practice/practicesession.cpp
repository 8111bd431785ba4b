#include "practice/practicesession.h"

namespace velmora {

namespace {

QString askedSetting(const QString &tab)
{
    return QStringLiteral("asked.") + tab;
}

} // namespace

PracticeSession::PracticeSession(QObject *parent) : QObject(parent) {}

PracticeSession::~PracticeSession() = default;

QString PracticeSession::startKeeping(const QString &path, ProgressStore::Check check)
{
    auto store = std::make_unique<ProgressStore>();
    if (const QString problem = store->open(path, check); !problem.isEmpty())
        return problem;
    QHash<QString, int> asked;
    const QHash<QString, QString> settings = store->settings();
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        if (it.key().startsWith(askedSetting(QString())))
            asked.insert(it.key().mid(askedSetting(QString()).size()), it.value().toInt());
    }
    m_weakSpots.load(store->spots(), asked);
    m_store = std::move(store);
    return {};
}

bool PracticeSession::stopKeeping(bool forget)
{
    if (!m_store)
        return true;
    const bool done = forget ? m_store->forget() : (m_store->setAside(), true);
    m_store.reset();
    return done;
}

void PracticeSession::verifyKept()
{
    if (m_store)
        check(m_store->verify());
}

void PracticeSession::keepSettings(const QHash<QString, QString> &settings)
{
    if (keeping())
        check(m_store->setSettings(settings));
}

void PracticeSession::questionAsked(const QString &tab)
{
    m_weakSpots.asked(tab);
}

void PracticeSession::firstTry(const QString &tab, const QuestionCell &question, bool right)
{
    const SpotState spot = m_weakSpots.firstTry(tab, question, right);
    if (!keeping())
        return;
    check(m_store->setSpot(spot));
    if (keeping())
        check(m_store->setSettings({{askedSetting(tab), QString::number(m_weakSpots.askedOn(tab))}}));
}

void PracticeSession::answered(const KeptAnswer &answer)
{
    if (answer.first) {
        CellFigures &figures = m_session[answer.tab][answer.question];
        ++figures.asked;
        figures.right += answer.right && !answer.revealed;
        figures.ms += answer.ms;
    }
    if (keeping())
        check(m_store->keep(answer));
}

void PracticeSession::check(const QString &problem)
{
    if (problem.isEmpty())
        return;
    m_store.reset();
    emit keepingFailed(problem);
}

} // namespace velmora
