#pragma once

#include "accounts.h"
#include "book.h"
#include "rowarray.h"
#include "systemsettings.h"

#include <QHash>
#include <QString>
#include <optional>

namespace bc::cli {

class CommandLine;

// Opens the book named on the command line; a refusal, with the reason the
// book gives, when it cannot be used. The environment variable
// BRINDLECOT_BUSY_TIMEOUT_MS, which only the tests set, shortens the wait for
// another program's lock.
// An older book is copied into the backups folder before it is brought
// forward. Returns what the open did besides.
OpenResult openBook(Book &book, const QString &path, OpenOptions options = {});

// How long to wait for another program's lock: BRINDLECOT_BUSY_TIMEOUT_MS
// when set, else fallback.
int busyTimeoutMs(int fallback);

// The folder of the automatic backups: the one the program's settings file
// names, else backups/ beside it.
QString backupsFolder();

// The settings kept in the book.
SystemSettings bookSettings(const Book &book);

// The financial-year start handed to the ledger and summary: --fy-start when
// given, else the book's own (invalid when it has none).
QDate finYearStart(const CommandLine &commandLine, const SystemSettings &settings);

// The book's accounts by name, and the names of the sides of transactions.
// Names are matched exactly, or else as accountNameKey compares them, which
// is how the book tells names apart when it saves them.
class AccountDirectory {
public:
    explicit AccountDirectory(const Book &book);

    std::optional<qint64> find(const QString &name) const;
    // The account's id; a refusal naming what, when no account has the name.
    qint64 require(const QString &name, const QString &what) const;
    // The name of an account or party key, as the windows show it.
    QString nameOf(const AccountKey &key) const;

private:
    const Book &m_book;
    QHash<QString, qint64> m_exact;
    QHash<QString, qint64> m_folded;
    mutable QHash<QString, QString> m_keyNames;
};

// Collapses the line breaks of a window's message into single blanks, so it
// fits on the one line the tool writes.
QString oneLine(const QString &message);

// A window's message followed by the database's description of a failure,
// when there is one and the message does not already say it, in brackets.
QString withDetail(const QString &message, const QString &detail);

} // namespace bc::cli
