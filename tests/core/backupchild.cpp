// Helper for tst_backups: backs up, restores, copies or migrates until it is killed.
//
//   backupchild backup BOOK FOLDER ROUND     copies BOOK into FOLDER, a day apart each
//   backupchild restore BACKUP1 BACKUP2 BOOK restores the two backups by turns
//   backupchild copy BOOK DEST               copies BOOK to the new book DEST, removes
//                                            DEST and copies again
//   backupchild migrate BOOK                 opens the older BOOK for writing, which
//                                            brings it to the current format, once
//
// Prints "ready" just before the first one.
#include "autobackup.h"
#include "bookcopy.h"
#include "bookrestore.h"
#include "dberror.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>

using namespace bc;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const int expected = args.value(0) == QLatin1String("migrate") ? 2 : args.value(0) == QLatin1String("copy") ? 3 : 4;
    if (args.size() != expected) {
        std::fprintf(stderr, "usage: backupchild backup|restore|copy|migrate ...\n");
        return 3;
    }
    try {
        const auto ready = [] {
            std::printf("ready\n");
            std::fflush(stdout);
        };
        if (args[0] == QLatin1String("migrate")) {
            bc::Book book;
            ready();
            if (const OpenResult r = book.open(args[1]); !r.ok())
                throw DbError(r.description);
            return 0;
        }
        if (args[0] == QLatin1String("backup") || args[0] == QLatin1String("copy")) {
            bc::Book book;
            OpenOptions readOnly;
            readOnly.readOnly = true;
            if (const OpenResult r = book.open(args[1], readOnly); !r.ok())
                throw DbError(r.description);
            if (args[0] == QLatin1String("copy")) {
                ready();
                for (;;) {
                    copyBook(book, args[2]);
                    QFile::remove(args[2]);
                }
            }
            QDateTime now(QDate(2026, 1, 1).addDays(args[3].toInt() * 7), QTime(18, 0));
            ready();
            for (;; now = now.addSecs(3600))
                backUpBook(book, args[2], now);
        }
        const QDateTime now(QDate(2026, 1, 1), QTime(9, 0));
        ready();
        for (int step = 0;; ++step)
            QFile::remove(restoreBook(args[1 + step % 2], args[3], now));
    } catch (const DbError &e) {
        std::fprintf(stderr, "backupchild: %s\n", qPrintable(e.description()));
        return 3;
    }
}
