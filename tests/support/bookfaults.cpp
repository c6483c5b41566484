#include "bookfaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace bc::test {

namespace {

// Switches the capabilities that let root read and write past permissions
// in or out of this thread's effective set; they stay permitted, so they
// can come back. Does nothing for other users, who never had them.
void setPermissionOverride(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    const __u32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    if (on)
        data[0].effective |= bits & data[0].permitted;
    else
        data[0].effective &= ~bits;
    syscall(SYS_capset, &header, data);
}

constexpr QFileDevice::Permissions ReadOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions Folder = ReadOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup
    | QFileDevice::ExeOther;

} // namespace

ReadOnlyBook::ReadOnlyBook(const QString &bookPath)
    : m_book(bookPath)
    , m_folder(QFileInfo(bookPath).absolutePath())
{
    QFile::setPermissions(m_book, ReadOnly);
    QFile::setPermissions(m_folder, Folder);
    setPermissionOverride(false);
}

ReadOnlyBook::~ReadOnlyBook()
{
    setPermissionOverride(true);
    QFile::setPermissions(m_folder, Folder | QFileDevice::WriteOwner);
    QFile::setPermissions(m_book, ReadOnly | QFileDevice::WriteOwner);
}

void ReadOnlyBook::childWithoutOverride(QProcess &process)
{
    // Root regains every capability of its bounding set when it starts a
    // program, so the override is taken out of that set in the child.
    process.setChildProcessModifier([] {
        prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
        prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    });
}

bool ReadOnlyBook::childCannotWrite(const QString &path)
{
    QProcess probe;
    childWithoutOverride(probe);
    probe.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("test -w \"$1\""), QStringLiteral("sh"), path});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() != 0;
}

BookLock::BookLock(const QString &bookPath)
{
    m_holder.start(QStringLiteral(BRINDLECOT_BOOKHOLDER), {bookPath});
    m_held = m_holder.waitForStarted(10000) && m_holder.waitForReadyRead(10000)
        && m_holder.readLine().trimmed() == "locked";
}

BookLock::~BookLock()
{
    m_holder.closeWriteChannel();
    if (!m_holder.waitForFinished(10000)) {
        m_holder.kill();
        m_holder.waitForFinished(10000);
    }
}

std::unique_ptr<FullDisk> FullDisk::mount(const QString &folder, const QString &book)
{
    QDir().mkpath(folder);
    const qint64 size = QFileInfo(book).size() + 64 * 1024;
    const QByteArray options = "size=" + QByteArray::number(size);
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0)
        return nullptr;
    std::unique_ptr<FullDisk> disk(new FullDisk(folder));
    disk->m_book = folder + u'/' + QFileInfo(book).fileName();
    if (!QFile::copy(book, disk->m_book))
        return nullptr;
    // Fills every block that is left.
    const int fd = ::open(QFile::encodeName(folder + QStringLiteral("/filler")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return nullptr;
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) { }
    const QByteArray byte(1, 'x');
    while (::write(fd, byte.constData(), 1) > 0) { }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full ? std::move(disk) : nullptr;
}

FullDisk::~FullDisk()
{
    ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

} // namespace bc::test
