#pragma once
// Errors are exceptions carrying the message text the user sees.
#include <QString>
#include <stdexcept>

namespace zq {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace zq
