#pragma once

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

} // namespace bc::test
