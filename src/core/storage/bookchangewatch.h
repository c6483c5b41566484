#pragma once

#include <QObject>
#include <optional>

namespace bc {

class Book;

// A number that changes whenever another connection (another program,
// another person) commits to the book, and never for this connection's own
// commits; nothing when the book is closed or the engine cannot say.
std::optional<qint64> othersCommitMark(const Book &book);

// Tells when someone else has saved to one open book, so that the windows can
// show the book afresh. SQLite says nothing of its own accord, so the program
// polls (cheap: one pragma on the book's connection). A server book sends
// notifications of its own, which emit changedElsewhere as they arrive
// (through the event loop); poll then does nothing.
class BookChangeWatch : public QObject {
    Q_OBJECT
public:
    // Watches from now on: saves made before it began are never reported.
    explicit BookChangeWatch(const Book &book, QObject *parent = nullptr);

    // Asks once whether another connection committed since the last poll,
    // and emits changedElsewhere once when it did, however many saves there
    // were. Returns whether it emitted.
    bool poll();

signals:
    void changedElsewhere();

private:
    const Book &m_book;
    std::optional<qint64> m_mark;
};

} // namespace bc
