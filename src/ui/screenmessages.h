#pragma once

#include <QList>
#include <QString>

class QComboBox;
class QWidget;

namespace bc {

struct AppState;
class DataGrid;
class DateEntry;

// What screens check and ask through the program's message interface.

// Settles an account filter box on the account its text names before a
// search: the listed name typed in any case, else the one listed name that
// begins with the text, which the box then shows. Text that names no listed
// account, or begins several, is refused with a message naming it and the
// box's caption, the focus goes back to the box, and false is given. An
// empty box is no filter.
bool settleAccountFilter(AppState &state, QComboBox *box, const QString &caption);

// Whether each date box holds a date; else says which text is not a date and
// why, puts the focus in that box and gives false.
bool datesReadable(AppState &state, const QList<DateEntry *> &boxes);

// The message for date text that is no date: "Invalid Date", then the text
// and the reason.
QString invalidDateText(const QString &typed, const QString &problem);

// Reports a failing statement: "Error" + line break + the description.
void reportDbFailure(AppState &state, QWidget *parent, const QString &description);

// Makes a grid say so when a drop-down cell is left with a text that is not
// in its list (the cell keeps its value), and when a Date cell is left with
// a text that is no date (the editor keeps the text).
void reportUnlistedEntries(AppState &state, DataGrid *grid);

// Asks before a screen in the middle of an edit cycle closes; true to close.
bool confirmDiscardEdits(AppState &state, QWidget *parent, const QString &title);

// Shows a save refused because another user changed the rows meanwhile and
// asks whether to reload them: true for Yes (leave the edits, load the rows
// afresh), false for No (keep the edits, so they can be copied).
bool offerReload(AppState &state, QWidget *parent, const QString &title, const QString &text);

} // namespace bc
