#pragma once

#include <QProcess>
#include <QString>
#include <memory>

namespace bc::test {

// Makes a book and its folder read-only for this thread and for the programs
// it starts with childWithoutOverride, also when the tests run as root: root
// would write through permissions, so its capability to override them is
// set aside while the object lives.
class ReadOnlyBook {
public:
    explicit ReadOnlyBook(const QString &bookPath);
    ~ReadOnlyBook();
    ReadOnlyBook(const ReadOnlyBook &) = delete;
    ReadOnlyBook &operator=(const ReadOnlyBook &) = delete;

    // Prepares a process to start without the override, so that it too
    // meets the permissions.
    static void childWithoutOverride(QProcess &process);
    // Whether a program started that way is indeed refused writing to path
    // (it is not where the system does not let the override be taken away).
    static bool childCannotWrite(const QString &path);

private:
    QString m_book;
    QString m_folder;
};

// Another process holding the exclusive lock on a book, as a second copy of
// the program in the middle of a save would.
class BookLock {
public:
    explicit BookLock(const QString &bookPath);
    ~BookLock();
    BookLock(const BookLock &) = delete;
    BookLock &operator=(const BookLock &) = delete;
    bool held() const { return m_held; }

private:
    QProcess m_holder;
    bool m_held = false;
};

// A small memory file system mounted on a folder and filled to the last
// byte, for a book on a full disk. Mounting needs root; mount() gives
// nothing where it is not permitted.
class FullDisk {
public:
    static std::unique_ptr<FullDisk> mount(const QString &folder, const QString &book);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;
    // The copy of the book on the full disk.
    QString bookPath() const { return m_book; }

private:
    explicit FullDisk(const QString &folder)
        : m_folder(folder)
    {
    }
    QString m_folder;
    QString m_book;
};

} // namespace bc::test
