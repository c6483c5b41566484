#include "stageddeletions.h"

#include "appstate.h"

namespace bc {

void unstageDeletion(QList<LoadedRow> &staged, qint64 id)
{
    for (qsizetype i = staged.size() - 1; i >= 0; --i) {
        if (staged[i].id == id) {
            staged.removeAt(i);
            return;
        }
    }
}

bool confirmDeletions(AppState &state, QWidget *parent, qsizetype count, const QString &rowsWord)
{
    if (count <= 1)
        return true;
    const QString text = QStringLiteral("Delete %1 %2? Edit > Undo Save or Entries > Deleted Items brings them back.")
                             .arg(count)
                             .arg(rowsWord);
    return state.messages->show(parent, MsgIcon::Question, QStringLiteral("Delete"), text,
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

QString deletionsKeptText()
{
    return QStringLiteral("Nothing saved: the rows deleted in the grid are still in the book. "
                          "Ctrl+Z puts them back in the grid; Cancel drops every edit.");
}

} // namespace bc
