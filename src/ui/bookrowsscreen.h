#pragma once

#include <QString>

namespace bc {

// A screen listing rows of the book, which shows them afresh when another
// window changed them (a save, an undo, a restore). The frame never asks a
// screen in the middle of an edit cycle, so its edits stay.
class BookRowsScreen {
public:
    virtual ~BookRowsScreen() = default;
    // Lists the rows afresh keeping the search as typed, its dates and its
    // order.
    virtual void reloadRows() = 0;
    // Says on the status line what changed the rows just reloaded (an undo
    // of a save, say); a screen without a status line shows nothing.
    virtual void showBookNote(const QString &text) { Q_UNUSED(text) }
};

} // namespace bc
