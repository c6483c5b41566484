#pragma once

#include <QString>
#include <stdexcept>

namespace bc::cli {

// Exit statuses of the tool.
// Cancelled: stopped by the user (Ctrl+C), as a shell reports an interrupted command.
enum ExitStatus : int { Success = 0, Refused = 1, UsageError = 2, Cancelled = 130 };

// Ends a command with a one-line message on standard error and an exit
// status: Refused when the book cannot be used or an operation is refused,
// UsageError when the command line itself is wrong.
class CliError : public std::runtime_error {
public:
    CliError(ExitStatus status, const QString &message)
        : std::runtime_error(message.toStdString())
        , m_status(status)
        , m_message(message)
    {
    }
    ExitStatus status() const { return m_status; }
    const QString &message() const { return m_message; }

private:
    ExitStatus m_status;
    QString m_message;
};

inline CliError usageError(const QString &message)
{
    return CliError(UsageError, message);
}
inline CliError refusal(const QString &message)
{
    return CliError(Refused, message);
}

} // namespace bc::cli
