#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace bc {

class Book;

// The database engines a book can live in: a book file of its own (SQLite),
// or a database on a PostgreSQL server shared by an office.
enum class Engine { SQLite, PostgreSQL };

// Every piece of statement text that the two engines write differently, one
// method a difference: the program's statements are written once, in the
// SQL both engines read, and ask their engine's dialect for the rest.
class Dialect {
public:
    virtual ~Dialect() = default;

    virtual Engine engine() const = 0;

    // The sum of a whole-number expression as a 64-bit whole number: a sum
    // beyond that range fails its statement with the error isSumOverflow()
    // knows.
    virtual QString wholeSum(const QString &expression) const = 0;

    // The "YYYY-MM" month of a transaction date, as the period balances key it.
    virtual QString monthOfDate(const QString &column) const = 0;

    // A condition true when column matches the ?-bound LIKE pattern (escaped
    // with a backslash), whatever the case of its letters.
    virtual QString likeIgnoringCase(const QString &column) const = 0;

    // The ORDER BY terms that list column alphabetically whatever the case
    // of its letters ("Rent" before "RST"), names differing only in case in
    // the same order on both engines.
    virtual QString orderIgnoringCase(const QString &column) const = 0;

    // An expression giving the values of the expressions as the text of a
    // JSON array.
    virtual QString jsonArrayText(const QStringList &expressions) const = 0;

    // An expression giving element index of the JSON array text json, read
    // as a value of serverType ("bigint", "date", "text") where the engine
    // types it.
    virtual QString jsonArrayElement(const QString &json, int index, const QString &serverType) const = 0;

    // A statement giving, in a column named id, each whole number of the
    // JSON array text bound to its one placeholder.
    virtual QString idsOfJsonArray() const = 0;

    // An expression giving the position of the text needle in the text
    // haystack, counted from 1, or 0 when it is not there.
    virtual QString positionOf(const QString &needle, const QString &haystack) const = 0;

    // A statement giving a row when the book holds a permanent table whose
    // name (any case) is bound to its one placeholder.
    virtual QString tableNamed() const = 0;
    // A statement giving the number of different triggers of the book
    // named (any case) in the JSON array of names bound to its one
    // placeholder: several looked for in one statement.
    virtual QString triggersNamed() const = 0;

    // A statement dropping the trigger of that name on the table, when the
    // book has it.
    virtual QString dropTriggerIfExists(const QString &trigger, const QString &table) const = 0;

    // A condition bounding the date column by a short date as typed: from
    // it when lower, else up to it; a text that is no date bounds nothing.
    // Appends the value to bind to values.
    QString shortDateBound(const QString &column, bool lower, const QVariant &text, QVariantList &values) const;

protected:
    // An expression giving the ?-bound ISO date, or when it is Null the
    // earliest (lower) or latest date of the engine.
    virtual QString dateOrOpenEnd(bool lower) const = 0;
};

// The ISO date of a short date as typed (the user's short-date form), as
// text to bind; a Null text when it is no date.
QVariant isoDateOfShortDate(const QVariant &text);

// The dialect of an open book's engine.
const Dialect &dialectOf(const Book &book);

// The dialect of each engine.
const Dialect &dialectFor(Engine engine);

} // namespace bc
