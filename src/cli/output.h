#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace bc::cli {

class CommandLine;

// Writes bytes to standard output and makes sure they got there: a write or
// flush that fails (a full disk, a closed pipe) is a refusal with the reason.
void writeOut(const QByteArray &bytes);
inline void writeOut(const QString &text)
{
    writeOut(text.toUtf8());
}

// Adds --force, which lets an output file replace an existing one.
void addForceOption(CommandLine &commandLine);

// The file a command writes its result to (export --output, print --pdf).
// Checked as soon as it is named, before any work is done: it may not be the
// book the command reads, under any name (the same path, a hard link or a
// symbolic link), nor a folder, and an existing file is replaced only when
// overwrite is set. Devices and pipes (/dev/stdout, a named pipe) hold no
// file to replace and are written directly.
class OutputFile {
public:
    OutputFile(const QString &path, const QString &bookPath, bool overwrite);

    // Writes what produce puts on the device given to it; produce returns
    // an empty text, or why it failed. A regular file is written to a
    // temporary file beside it that replaces it once every byte is on disk,
    // so a failure leaves the file as it was and no partial file behind.
    // Any failure is a refusal naming the file and the reason.
    void write(const std::function<QString(QIODevice &)> &produce) const;
    void write(const QByteArray &bytes) const;

private:
    void check() const;
    void writeDirectly(const std::function<QString(QIODevice &)> &produce) const;
    [[noreturn]] void fail(const QString &reason) const;

    QString m_path;
    QString m_bookPath;
    bool m_overwrite;
};

} // namespace bc::cli
