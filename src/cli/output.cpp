#include "output.h"

#include "clierror.h"
#include "commandline.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace bc::cli {

namespace {

std::optional<struct stat> statOf(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

} // namespace

void writeOut(const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    if (std::fflush(stdout) != 0 || !written || std::ferror(stdout)) {
        const int error = errno;
        std::clearerr(stdout);
        throw refusal(QStringLiteral("cannot write to standard output: %1")
                          .arg(error ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write failed")));
    }
}

void addForceOption(CommandLine &commandLine)
{
    commandLine.addOption(QStringLiteral("force"), QString(),
                          QStringLiteral("Replace the output file when it exists."));
}

OutputFile::OutputFile(const QString &path, const QString &bookPath, bool overwrite)
    : m_path(path)
    , m_bookPath(bookPath)
    , m_overwrite(overwrite)
{
    check();
}

void OutputFile::check() const
{
    const auto target = statOf(m_path);
    if (!target)
        return; // a new file
    if (const auto book = statOf(m_bookPath); book && book->st_dev == target->st_dev && book->st_ino == target->st_ino)
        throw refusal(QStringLiteral("\"%1\" is the book itself; the output must go to another file").arg(m_path));
    if (S_ISDIR(target->st_mode))
        throw refusal(QStringLiteral("\"%1\" is a folder; the output must go to a file").arg(m_path));
    if (S_ISREG(target->st_mode) && !m_overwrite)
        throw refusal(QStringLiteral("\"%1\" exists already; give --force to replace it").arg(m_path));
}

void OutputFile::write(const QByteArray &bytes) const
{
    write(
        [&bytes](QIODevice &device) { return device.write(bytes) == bytes.size() ? QString() : device.errorString(); });
}

void OutputFile::write(const std::function<QString(QIODevice &)> &produce) const
{
    // Checked again: the file may have appeared while the output was made.
    check();
    if (const auto target = statOf(m_path); target && !S_ISREG(target->st_mode)) {
        writeDirectly(produce);
        return;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    QString failure = produce(file);
    // Flushed here: a failure of the last write would otherwise go unnoticed
    // by commit(), which would put an empty or short file in place.
    if (failure.isEmpty() && (!file.flush() || file.error() != QFileDevice::NoError))
        failure = file.errorString();
    if (!failure.isEmpty()) {
        file.cancelWriting();
        fail(failure);
    }
    if (!file.commit())
        fail(file.errorString());
}

void OutputFile::writeDirectly(const std::function<QString(QIODevice &)> &produce) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (const QString failure = produce(file); !failure.isEmpty())
        fail(failure);
    if (!file.flush() || file.error() != QFileDevice::NoError)
        fail(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        fail(file.errorString());
}

void OutputFile::fail(const QString &reason) const
{
    throw refusal(QStringLiteral("cannot write \"%1\": %2").arg(m_path, reason));
}

} // namespace bc::cli
