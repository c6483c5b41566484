#include "griddelegate.h"

#include "dates.h"
#include "keyfilters.h"
#include "rowarraymodel.h"

#include <QComboBox>
#include <QLineEdit>

namespace bc {

GridDelegate::GridDelegate(RowArrayModel &model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const GridColumn &column = m_model.column(index.column());
    if (column.format == GridColumn::Format::ValueList) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const auto &entry : column.valueList)
            combo->addItem(entry.second, entry.first);
        return combo;
    }
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (column.maxLength > 0)
        edit->setMaxLength(column.maxLength);
    const bool amount = column.format == GridColumn::Format::Standard || column.format == GridColumn::Format::Amount;
    if (amount)
        installAmountKeyFilter(edit);
    else if (column.discardApostrophes)
        installApostropheFilter(edit);
    return edit;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const GridColumn &column = m_model.column(index.column());
    const QVariant stored = index.data(Qt::EditRole);
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(combo->findData(stored));
        if (combo->currentIndex() < 0)
            combo->setEditText(column.displayFor(stored));
        return;
    }
    auto *edit = static_cast<QLineEdit *>(editor);
    if (!stored.isValid()) {
        edit->clear();
        return;
    }
    switch (column.format) {
    case GridColumn::Format::Standard:
    case GridColumn::Format::Amount:
        edit->setText(stored.value<Money>().toPlain());
        break;
    case GridColumn::Format::Date:
        edit->setText(formatUserDate(stored.toDate(), column.userDateFormat));
        break;
    default:
        edit->setText(stored.toString());
    }
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const GridColumn &column = m_model.column(index.column());
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        // Only listed entries are accepted; anything else leaves the cell as it was.
        const QString text = combo->currentText();
        if (text.isEmpty()) {
            if (index.data(Qt::EditRole).isValid())
                model->setData(index, QVariant(), Qt::EditRole);
            return;
        }
        const QVariant stored = column.storedFor(text);
        if (stored.isValid() && stored != index.data(Qt::EditRole))
            model->setData(index, stored, Qt::EditRole);
        return;
    }
    const QString text = static_cast<QLineEdit *>(editor)->text();
    const QVariant before = index.data(Qt::EditRole);
    if (text == index.data(Qt::DisplayRole).toString() && before.isValid())
        return; // opened and closed without a change
    QVariant value;
    switch (column.format) {
    case GridColumn::Format::Standard:
    case GridColumn::Format::Amount:
        if (const auto amount = Money::parse(text))
            value = QVariant::fromValue(*amount);
        break;
    case GridColumn::Format::Date: {
        // Unreadable text still reaches the model, which empties the cell, so
        // the window can say the date is invalid.
        if (const QDate date = parseUserDate(text, column.userDateFormat); date.isValid())
            value = date;
        else if (!text.trimmed().isEmpty())
            value = text;
        break;
    }
    default:
        value = text;
    }
    if (!value.isValid() && !before.isValid() && text.isEmpty() && !m_model.isAddNewRow(index.row()))
        return;
    model->setData(index, value, Qt::EditRole);
}

} // namespace bc
