#pragma once

#include "csv.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace bc::test {

// One run of the built brindlecot-cli: exit status and what it wrote.
struct CliRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the tool with arguments (no shell: every character arrives as
// given). prepare may adjust the process before it starts. A run that ends
// by a signal (a crash) fails the test.
inline CliRun cli(const QStringList &arguments, const std::function<void(QProcess &)> &prepare = {})
{
    QProcess process;
    if (prepare)
        prepare(process);
    process.start(QStringLiteral(BRINDLECOT_CLI_PATH), arguments);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(u' ').toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(u' ').toStdString();
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Runs a command that must succeed and returns what it printed.
inline QByteArray ok(const QStringList &arguments)
{
    const CliRun run = cli(arguments);
    EXPECT_EQ(run.status, 0) << arguments.join(u' ').left(200).toStdString() << ": " << run.err.toStdString();
    return run.out;
}

// The records of CSV text the tool wrote, which must read without fault.
inline QList<QStringList> csvRows(const QByteArray &text)
{
    const CsvReadResult read = readCsv(text);
    EXPECT_TRUE(read.ok()) << read.error.toStdString();
    QList<QStringList> rows;
    for (const CsvRecord &r : read.records)
        rows << r.fields;
    return rows;
}

} // namespace bc::test
