#pragma once

#include "book.h"
#include "clierror.h"

#include <QByteArray>
#include <QStringList>

namespace bc::cli {

// One function per command. Each takes the arguments that follow the command
// name, returns the exit status and throws CliError when it refuses.
int runNew(const QStringList &arguments);
int runAccounts(const QStringList &arguments);
int runLedger(const QStringList &arguments);
int runSummary(const QStringList &arguments);
int runIncomeStatement(const QStringList &arguments);
int runBalanceSheet(const QStringList &arguments);
int runCashFlow(const QStringList &arguments);
int runTransactions(const QStringList &arguments);
int runImport(const QStringList &arguments);
int runImportStatement(const QStringList &arguments);
int runExport(const QStringList &arguments);
int runPrint(const QStringList &arguments);
int runSettings(const QStringList &arguments);
int runCheck(const QStringList &arguments);
int runHistory(const QStringList &arguments);
int runUndo(const QStringList &arguments);
int runBackup(const QStringList &arguments);
int runRestore(const QStringList &arguments);
int runCopy(const QStringList &arguments);
int runReconcile(const QStringList &arguments);
int runReconciliations(const QStringList &arguments);
int runLock(const QStringList &arguments);

class CommandLine;

// Reads an import file whole; a refusal naming the file when it cannot be
// read or is larger than any plausible import.
QByteArray readInput(const QString &path);

// The --fy-start option of new and settings.
void addYearStartOption(CommandLine &commandLine);
// Saves the settings the command line gives over the book's own, through the
// save of the Configurations window; the others stay as they are.
void changeSettings(Book &book, const CommandLine &commandLine);

} // namespace bc::cli
