#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace velmora {

// A value or the reason there is none. The data layer returns these; the windows decide how to
// show the reason.
// The reason carried over from a step that failed: `return Failure{step.error()};`.
struct Failure
{
    QString error;
};

template <typename T>
class Expected
{
public:
    Expected(T value) : m_value(std::move(value)) {}
    Expected(Failure failure) : m_error(std::move(failure.error)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    const QString &error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

} // namespace velmora
