#include "griddelegate.h"

#include "dates.h"
#include "gridmodel.h"
#include "keyfilters.h"

#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>

namespace bc {

namespace {

// Marks a Date cell's editor with the order its text is read in.
constexpr const char *DateFormatProperty = "userDateFormat";

bool isAmount(const GridColumn &column)
{
    return column.format == GridColumn::Format::Standard || column.format == GridColumn::Format::Amount;
}

// The value a line edit's text stands for in a column; invalid for empty text.
QVariant typedValue(const GridColumn &column, const QString &text)
{
    switch (column.format) {
    case GridColumn::Format::Standard:
    case GridColumn::Format::Amount:
        if (const auto amount = Money::parse(text))
            return QVariant::fromValue(*amount);
        return {};
    case GridColumn::Format::Date: {
        // Empty text (the mask's separators alone) empties the cell; text
        // that is no date never gets here (refuseUnreadableDate).
        const QDate date = readTypedDate(text, column.userDateFormat).date;
        return date.isValid() ? QVariant(date) : QVariant();
    }
    default: return text.isEmpty() ? QVariant() : QVariant(text);
    }
}

} // namespace

GridDelegate::GridDelegate(GridModel &model, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
{
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const GridColumn &column = m_model.column(index.column());
    if (column.format == GridColumn::Format::ValueList) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const auto &entry : column.valueList)
            combo->addItem(entry.second, entry.first);
        // Typing completes a listed name in place, whatever its case.
        auto *completer = new QCompleter(combo->model(), combo);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setCompletionMode(QCompleter::InlineCompletion);
        combo->setCompleter(completer);
        return combo;
    }
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (isAmount(column))
        installAmountEntryFilter(edit);
    else if (column.format == GridColumn::Format::Date) {
        edit->setInputMask(QStringLiteral("00/00/0000"));
        edit->setProperty(DateFormatProperty, column.userDateFormat);
    } else if (column.maxLength > 0 || column.discardApostrophes) {
        KeyFilter *filter = installTextFilter(edit, column.maxLength, column.discardApostrophes);
        connect(filter, &KeyFilter::limitReached, this, [this, col = index.column()](int limit) {
            if (typingLimitReached)
                typingLimitReached(col, limit);
        });
    }
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
        // A name typed into the cell replaces the one shown.
        combo->lineEdit()->selectAll();
        return;
    }
    auto *edit = static_cast<QLineEdit *>(editor);
    if (!stored.isValid()) {
        edit->clear();
        return;
    }
    if (isAmount(column))
        edit->setText(stored.value<Money>().toPlain());
    else if (column.format == GridColumn::Format::Date)
        edit->setText(stored.toDate().toString(reportDatePattern(column.userDateFormat)));
    else
        edit->setText(stored.toString());
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const QScopedValueRollback committing(m_committing, true);
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        setListedModelData(combo->currentText().trimmed(), model, index);
        return;
    }
    if (!refuseUnreadableDate(editor).isEmpty())
        return;
    const GridColumn &column = m_model.column(index.column());
    model->setData(index, typedValue(column, static_cast<QLineEdit *>(editor)->text()), Qt::EditRole);
}

QString GridDelegate::refuseUnreadableDate(QWidget *editor) const
{
    auto *edit = qobject_cast<QLineEdit *>(editor);
    const QVariant dateFormat = edit ? edit->property(DateFormatProperty) : QVariant();
    if (!dateFormat.isValid())
        return {};
    const QString problem = readTypedDate(edit->text(), dateFormat.toString()).problem;
    if (!problem.isEmpty() && refusedDate) {
        const QScopedValueRollback committing(m_committing, true);
        refusedDate(edit->text(), problem);
    }
    return problem;
}

void GridDelegate::setListedModelData(const QString &typed, QAbstractItemModel *model, const QModelIndex &index) const
{
    // Only listed entries are accepted, matched whatever their case; anything
    // else leaves the cell as it was and is reported.
    const GridColumn &column = m_model.column(index.column());
    const QVariant before = index.data(Qt::EditRole);
    if (typed == column.displayFor(before))
        return;
    if (typed.isEmpty()) {
        model->setData(index, QVariant(), Qt::EditRole);
        return;
    }
    if (const QVariant listed = column.storedFor(typed); listed.isValid())
        model->setData(index, listed, Qt::EditRole);
    else if (refusedEntry)
        refusedEntry(typed);
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool leaves = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab
            || key == Qt::Key_Backtab;
        if (leaves && !refuseUnreadableDate(editor).isEmpty()) {
            if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
                edit->setFocus();
                edit->selectAll();
            }
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit enterPressed();
            return true;
        }
    }
    if (m_committing && event->type() == QEvent::FocusOut)
        return false;
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace bc
