#include "practice/score.h"

#include <algorithm>

namespace velmora {

void Score::questionAsked()
{
    ++m_asked;
    m_open = true;
}

void Score::noQuestion()
{
    m_open = false;
}

void Score::answered(bool right)
{
    if (m_open)
        close(right);
}

void Score::revealed()
{
    if (m_open)
        close(false);
}

void Score::close(bool right)
{
    m_open = false;
    if (!right) {
        m_run = 0;
        return;
    }
    ++m_right;
    m_best = std::max(m_best, ++m_run);
}

void Score::reset()
{
    const bool open = m_open;
    *this = Score();
    if (open)
        questionAsked();
}

QString Score::line(const QString &tab) const
{
    return QStringLiteral("%1: %2 of %3 right at the first try - %4 in a row (best %5)")
        .arg(tab)
        .arg(m_right)
        .arg(m_asked)
        .arg(m_run)
        .arg(m_best);
}

} // namespace velmora
