#pragma once

#include "rowconflicts.h"

#include <QList>
#include <QString>

class QWidget;

namespace bc {

struct AppState;

// A row whose deletion the grid took back (Ctrl+Z) is no longer to be
// deleted by the window's next save.
void unstageDeletion(QList<LoadedRow> &staged, qint64 id);

// Before a save that deletes more than one row of the book: asks, naming the
// count and the way back, with No the default; true to go on. One row is
// deleted without a question. rowsWord names the rows: "transactions".
bool confirmDeletions(AppState &state, QWidget *parent, qsizetype count, const QString &rowsWord);

// The status line after the question above was answered No.
QString deletionsKeptText();

} // namespace bc
