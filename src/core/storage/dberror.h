#pragma once

#include <QString>
#include <stdexcept>

namespace bc {

// Failures that lie with the book's file rather than with the data, which
// the user can put right: the file cannot be written, another program holds
// it, or the disk is full.
// ClosedPeriod: the book refused a transaction dated within its closed
// period.
enum class DbFault { Other, ReadOnly, Locked, DiskFull, ClosedPeriod };

// A statement that failed, with the database's description of why; for the
// faults above, a description in the user's words instead.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &description, DbFault fault = DbFault::Other)
        : std::runtime_error(description.toStdString())
        , m_description(description)
        , m_fault(fault)
    {
    }
    const QString &description() const { return m_description; }
    DbFault fault() const { return m_fault; }
    // Whether the description is written for the user (every fault but
    // Other), so that a window shows it rather than a general failure.
    bool isUserFacing() const { return m_fault != DbFault::Other; }

private:
    QString m_description;
    DbFault m_fault;
};

// Whether a statement failed because SQLite's sum() left the 64-bit range.
inline bool isSumOverflow(const DbError &error)
{
    return error.description() == QLatin1String("integer overflow");
}

} // namespace bc
