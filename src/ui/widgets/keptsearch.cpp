#include "keptsearch.h"

#include <QComboBox>
#include <QList>
#include <QString>

namespace bc {

void refillKeepingText(std::initializer_list<QComboBox *> boxes, const std::function<void()> &fill)
{
    QList<QString> texts;
    for (const QComboBox *box : boxes)
        texts << box->currentText();
    fill();
    qsizetype i = 0;
    for (QComboBox *box : boxes) {
        const QString &text = texts[i++];
        const int item = text.isEmpty() ? -1 : box->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        box->setCurrentIndex(item);
        if (item < 0)
            box->setEditText(text);
    }
}

} // namespace bc
