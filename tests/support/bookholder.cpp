// Helper for the tests of locked books: another process that opens a book,
// takes SQLite's exclusive lock on it and keeps it until its standard input
// closes or it is killed.
//
//   bookholder BOOK
//
// Prints "locked" once the lock is held.
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bookholder BOOK\n");
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
    QSqlQuery lock(db);
    if (!db.open() || !lock.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
        std::fprintf(stderr, "bookholder: %s\n", qPrintable(lock.lastError().text()));
        return 1;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) { }
    return 0;
}
