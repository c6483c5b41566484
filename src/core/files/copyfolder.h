#pragma once

#include <QString>

namespace bc {

// A folder copies of books are written into: each copy is first written
// under a hidden temporary name (.brindlecot-copy-XXXXXX.part) and given its
// own name only once it is complete. A copy killed half-way leaves its
// temporary file (and SQLite's journal of it) behind; the next copy into the
// folder removes such leftovers, unless another program is writing a copy there at that moment.
// While the object lives it holds a shared lock on the folder, so no other
// program takes its unfinished copy for a leftover.
class CopyFolder {
public:
    // Makes the folder when missing; throws DbError when it cannot.
    explicit CopyFolder(const QString &folder);
    ~CopyFolder();
    CopyFolder(const CopyFolder &) = delete;
    CopyFolder &operator=(const CopyFolder &) = delete;

    const QString &path() const { return m_path; }
    // The template of the temporary names, for QTemporaryFile.
    QString temporaryTemplate() const;

private:
    QString m_path;
    int m_lock = -1;
};

} // namespace bc
