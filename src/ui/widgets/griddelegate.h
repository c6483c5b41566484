#pragma once

#include <QStyledItemDelegate>

namespace bc {

class RowArrayModel;

// The editors of every grid, chosen by the column's format: a drop-down of
// the value list that accepts only listed entries, an amount box whose keys
// are filtered, a date box typed in the user's format, or a text box with an
// optional length limit that may drop apostrophes.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(RowArrayModel &model, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    RowArrayModel &m_model;
};

} // namespace bc
