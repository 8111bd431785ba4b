#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace velmora {

// What a caller may do about a failure beyond saying it: a music file's state.
enum class Cause {
    Other,
    Refused,    // not a database Velmora can use, whatever happens to it
    Unreadable, // it cannot be read as it is now (damaged, or mid-save)
    Locked,     // another program holds it, or keeps changing it; passes by itself
    Deferred,   // its reading needs more time than was given; it may have the full time later
};

// The reason a step failed, in words, and its cause. A step's failure is carried over with
// `return step.failure();`.
struct Failure
{
    Failure(QString why = {}, Cause what = Cause::Other) : error(std::move(why)), cause(what) {}
    Failure(Cause what, QString why) : error(std::move(why)), cause(what) {}

    QString error;
    Cause cause;
};

// A value, or the failure that left none. The data layer returns these; the windows decide how to
// show the reason.
template <typename T>
class Expected
{
public:
    Expected(T value) : m_value(std::move(value)) {}
    Expected(Failure failure) : m_failure(std::move(failure)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    const QString &error() const { return m_failure.error; }
    Cause cause() const { return m_failure.cause; }
    const Failure &failure() const { return m_failure; }

private:
    std::optional<T> m_value;
    Failure m_failure{QString()};
};

// A step that gives nothing but may fail.
template <>
class Expected<void>
{
public:
    Expected() = default;
    Expected(Failure failure) : m_failure(std::move(failure)) {}

    bool ok() const { return !m_failure.has_value(); }
    explicit operator bool() const { return ok(); }
    QString error() const { return m_failure ? m_failure->error : QString(); }
    Cause cause() const { return m_failure ? m_failure->cause : Cause::Other; }
    const Failure &failure() const { return *m_failure; }

private:
    std::optional<Failure> m_failure;
};

} // namespace velmora
