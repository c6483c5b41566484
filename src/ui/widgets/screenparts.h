#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace bc {

// Small pieces every screen builds the same way.

QPushButton *makeButton(QWidget *parent, const char *objectName, const QString &caption);

// A label with an object name, for captions a screen changes.
QLabel *makeLabel(QWidget *parent, const char *objectName, const QString &caption);

// A drop-down box with an object name and, if given, its items (text, data).
QComboBox *makeChoiceBox(QWidget *parent, const char *objectName, const QList<QPair<QString, QVariant>> &items = {});

// A caption as it is read out: without the mark of its Alt letter ("&Date"
// gives "Date", "P&&L" gives "P&L").
QString withoutAltMark(const QString &caption);

// A caption beside a field, in the field's parent, leading to the field: its
// Alt letter if it has one, and the name a screen reader gives the field
// (a list's or grid's accessible name is set to it).
QLabel *makeCaption(QWidget *field, const QString &caption);

// Puts a field into a grid layout with its caption to the left, the
// caption's Alt letter leading to the field.
void addCaptioned(QGridLayout *layout, int row, int column, const QString &caption, QWidget *field);

// Makes a text box a password box: what is typed shows as one "*" a
// character, whatever the style would show.
void makePasswordBox(QLineEdit *box);

// A box that shows an amount the screen computed: read only, right-aligned and
// out of the tab order.
QLineEdit *makeAmountDisplay(QWidget *parent, const char *objectName);

// The total box "lbltotal": right-aligned, framed, "0.00" until filled.
QLabel *makeTotalLabel(QWidget *parent);

// The row under a grid: the buttons on the left, the total's caption
// ("lblTotalCaption") and box on the right.
QHBoxLayout *makeButtonRow(const QList<QPushButton *> &buttons, const QString &totalCaption, QLabel *total);

// An editable drop-down box for an account filter. Typing offers a pop-up
// list of the names that begin with the typed text, in any case; the text
// stays as typed until the user picks a name from a list.
QComboBox *makeAccountFilterBox(QWidget *parent, const char *objectName);

// Enter in any of the search fields presses find (nothing while find is
// disabled). The field takes the key first, so a drop-down box settles on the
// name typed and a date box on the date read, and Find sees them. In an open
// pop-up list Enter picks the item the user moved to; in a box's list of
// matching names with none chosen it closes the list and presses find.
void runFindOnEnter(QPushButton *find, const QList<QWidget *> &fields);

// Makes a window that is not a QDialog answer Enter as a dialog does: Enter
// in a box that does not use the key itself presses the button that has
// the focus, else the default button (shown as the default), while enabled.
void pressDefaultOnEnter(QWidget *window, QPushButton *defaultButton);

// The status line under a grid, "lblStatus": says what the last save did.
QLabel *makeStatusLabel(QWidget *parent);

// The status line of a screen in its edit cycle after another user saved to
// the book: says so until the screen leaves the cycle, when
// clearChangedElsewhere takes that away (any other text, such as what a save
// did, stays).
void showChangedElsewhere(QLabel *status);
void clearChangedElsewhere(QLabel *status);

// What a successful save did, for the status line: "3 rows saved", "1 row
// saved, 2 deleted", followed by "; 2 saved rows are outside the dates
// shown" for each reason (where) given with a count above 0.
QString saveStatusText(qsizetype saved, qint64 deleted, const QList<QPair<qsizetype, QString>> &outside = {});

} // namespace bc
