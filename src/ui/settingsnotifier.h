#pragma once

#include <QObject>
#include <QString>
#include <initializer_list>

class QWidget;

namespace bc {

class DateEntry;
struct AppState;

// Tells the open windows that a setting they show has changed, so that they
// take it at once rather than when they are next opened.
class SettingsNotifier : public QObject {
    Q_OBJECT
signals:
    void dateFormatChanged(const QString &format);
    // A window changed rows of the book (saved, restored, undid); the
    // others that list them show them afresh.
    void bookChanged(QWidget *by);
    // A window entered or left its edit cycle.
    void editCycleChanged();
};

// Shows the pickers' dates in the book's date format and reads typed dates in
// its order, from now on and whenever the format changes while owner is open.
void followDateFormat(AppState &state, QWidget *owner, std::initializer_list<DateEntry *> pickers);

} // namespace bc
