#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace velmora {

// A value or the reason there is none. The data layer returns these; the windows decide how to
// show the reason.
template <typename T>
class Expected
{
public:
    Expected(T value) : m_value(std::move(value)) {}
    static Expected failure(QString error)
    {
        Expected e;
        e.m_error = std::move(error);
        return e;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    const QString &error() const { return m_error; }

private:
    Expected() = default;
    std::optional<T> m_value;
    QString m_error;
};

} // namespace velmora
