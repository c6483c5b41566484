#pragma once

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace bc {

// Schema objects in a book that this program does not make: triggers, views
// and rules anywhere in it, indexes on its tables, and any of its own
// triggers, indexes or functions whose definition another program changed.
// Such an object runs inside the program's saves (a trigger that doubles
// every amount, one that never ends, one that empties the history) or
// changes what it reads, so a book holding one is refused until they are
// removed.

struct ForeignObject {
    QString kind; // "trigger", "view", "index", "rule", "function"
    QString name;
    QString table; // the table it belongs to; empty for a view or function
    // Whether the name is one of the program's own objects, whose definition
    // was changed: removing it puts the program's own back.
    bool changedOwn = false;
    // "trigger double_amounts on transaction_master"
    QString text() const;
};

// Every such object of the book, in the order of the catalogue.
std::vector<ForeignObject> foreignObjects(const QSqlDatabase &db);

// Refuses (DbError) a book holding such objects, naming them and the
// command that removes them; location names the book in that command.
void refuseForeignObjects(const QSqlDatabase &db, const QString &location);

// Removes every such object and puts back the program's own where their
// definition was changed, in one transaction. Returns what was removed.
// Throws DbError when the book cannot be written.
std::vector<ForeignObject> removeForeignObjects(const QSqlDatabase &db);

} // namespace bc
