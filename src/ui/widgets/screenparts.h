#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace bc {

struct AppState;

// Small pieces every screen builds the same way.

QPushButton *makeButton(QWidget *parent, const char *objectName, const QString &caption);

// A label with an object name, for captions a screen changes.
QLabel *makeLabel(QWidget *parent, const char *objectName, const QString &caption);

// A box that shows an amount the screen computed: read only, right-aligned and
// out of the tab order.
QLineEdit *makeAmountDisplay(QWidget *parent, const char *objectName);

// The total box "lbltotal": right-aligned, framed, "0.00" until filled.
QLabel *makeTotalLabel(QWidget *parent);

// The row under a grid: the buttons on the left, the total's caption and box
// on the right.
QHBoxLayout *makeButtonRow(const QList<QPushButton *> &buttons, const QString &totalCaption, QLabel *total);

// The status line under a grid, "lblStatus": says what the last save did.
QLabel *makeStatusLabel(QWidget *parent);

// What a successful save did, for the status line: "3 rows saved", "1 row
// saved, 2 deleted", followed by "; 2 saved rows are outside the dates
// shown" for each reason (where) given with a count above 0.
QString saveStatusText(qsizetype saved, qint64 deleted, const QList<QPair<qsizetype, QString>> &outside = {});

// Reports a failing statement: "Error" + line break + the description.
void reportDbFailure(AppState &state, QWidget *parent, const QString &description);

// Asks before a screen in the middle of an edit cycle closes; true to close.
bool confirmDiscardEdits(AppState &state, QWidget *parent, const QString &title);

// A screen with an edit cycle (Edit/New to Save or Cancel). Closing it in the
// middle of a cycle asks first; the frame asks every such screen before it
// closes any, so a "No" leaves every window as it was.
class EditCycleScreen {
public:
    virtual ~EditCycleScreen() = default;
    virtual bool inEditCycle() const = 0;
    // Leaves the edit cycle without saving or asking: the user has agreed.
    virtual void dropEdits() = 0;
};

// A header click flips the sort order: "A" becomes "D", anything else "A".
QString toggledSortOrder(const QString &order);

} // namespace bc
