#include "screenmessages.h"

#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "messages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

namespace bc {

bool settleAccountFilter(AppState &state, QComboBox *box, const QString &caption)
{
    const QString typed = box->currentText().trimmed();
    if (typed.isEmpty())
        return true;
    int chosen = box->findText(typed, Qt::MatchFixedString);
    QStringList beginning;
    if (chosen < 0) {
        for (int i = 0; i < box->count(); ++i) {
            if (box->itemText(i).startsWith(typed, Qt::CaseInsensitive)) {
                chosen = i;
                beginning << box->itemText(i);
            }
        }
    }
    if (chosen >= 0 && beginning.size() <= 1) {
        box->setCurrentIndex(chosen);
        return true;
    }
    constexpr int NamesShown = 5;
    const QString text = beginning.isEmpty()
        ? QStringLiteral("\"%1\" in %2 names no account in the list.\r\nType a listed name, pick one with "
                         "Alt+Down, or empty the box to search every account.")
              .arg(typed, caption)
        : QStringLiteral("\"%1\" in %2 begins %3 account names (%4).\r\nType more of the name or pick one "
                         "with Alt+Down.")
              .arg(typed, caption)
              .arg(beginning.size())
              .arg(beginning.mid(0, NamesShown).join(QStringLiteral(", "))
                   + (beginning.size() > NamesShown ? QStringLiteral(", \u2026") : QString()));
    state.messages->critical(box->window(), QStringLiteral("Find"), text);
    box->setFocus();
    box->lineEdit()->selectAll();
    return false;
}

QString invalidDateText(const QString &typed, const QString &problem)
{
    return QStringLiteral("Invalid Date\r\n\"%1\": %2.").arg(typed.trimmed(), problem);
}

bool datesReadable(AppState &state, const QList<DateEntry *> &boxes)
{
    for (DateEntry *box : boxes) {
        const QString problem = box->typedProblem();
        if (problem.isEmpty())
            continue;
        state.messages->critical(box->window(), QStringLiteral("Error"),
                                 invalidDateText(box->lineEdit()->text(), problem));
        box->lineEdit()->setFocus();
        box->lineEdit()->selectAll();
        return false;
    }
    return true;
}

void reportDbFailure(AppState &state, QWidget *parent, const QString &description)
{
    state.messages->critical(parent, QStringLiteral("Error"), errorText(description));
}

void reportUnlistedEntries(AppState &state, DataGrid *grid)
{
    grid->refusedEntry = [&state, grid](const QString &typed) {
        state.messages->critical(grid->window(), QStringLiteral("Error"),
                                 QStringLiteral("\"%1\" is not in the list; the cell keeps its value.\r\n"
                                                "Alt+Down shows the list.")
                                     .arg(typed));
    };
    grid->refusedDate = [&state, grid](const QString &typed, const QString &problem) {
        state.messages->critical(grid->window(), QStringLiteral("Error"), invalidDateText(typed, problem));
    };
}

bool confirmDiscardEdits(AppState &state, QWidget *parent, const QString &title)
{
    return state.messages->question(parent, title,
                                    QStringLiteral("The changes you have not saved will be lost. Close anyway?"))
        == QMessageBox::Yes;
}

bool offerReload(AppState &state, QWidget *parent, const QString &title, const QString &text)
{
    return state.messages->question(parent, title,
                                    text
                                        + QStringLiteral("\r\n\r\nReload the rows from the book? "
                                                         "No keeps your edits, so you can copy them."))
        == QMessageBox::Yes;
}

} // namespace bc
