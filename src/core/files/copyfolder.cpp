#include "copyfolder.h"

#include "dberror.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace bc {

namespace {

const QString TemporaryPrefix = QStringLiteral(".brindlecot-copy-");
const QString TemporarySuffix = QStringLiteral(".part");

// The temporary files and the journals SQLite kept beside them.
void removeLeftovers(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({TemporaryPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(dir.filePath(name));
}

} // namespace

CopyFolder::CopyFolder(const QString &folder)
    : m_path(folder)
{
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("The folder \"%1\" cannot be created.").arg(folder));
    // The lock is an advisory one on the folder itself: a program killed
    // while holding it loses it with its process. Where the folder cannot be
    // locked, copies are made as usual and leftovers stay.
    m_lock = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lock < 0)
        return;
    if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0)
        removeLeftovers(folder);
    if (::flock(m_lock, LOCK_SH) != 0) {
        ::close(m_lock);
        m_lock = -1;
    }
}

CopyFolder::~CopyFolder()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

QString CopyFolder::temporaryTemplate() const
{
    return m_path + u'/' + TemporaryPrefix + QStringLiteral("XXXXXX") + TemporarySuffix;
}

} // namespace bc
