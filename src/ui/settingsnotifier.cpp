#include "settingsnotifier.h"

#include "appstate.h"
#include "dateentry.h"

#include <QList>

namespace bc {

void followDateFormat(AppState &state, QWidget *owner, std::initializer_list<DateEntry *> pickers)
{
    const QList<DateEntry *> list(pickers);
    for (DateEntry *picker : list)
        picker->setDisplayFormat(state.dateFormat());
    QObject::connect(&state.notifier, &SettingsNotifier::dateFormatChanged, owner, [list](const QString &format) {
        for (DateEntry *picker : list)
            picker->setDisplayFormat(format);
    });
}

} // namespace bc
