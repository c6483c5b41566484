#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace bc {

class GridModel;

// The editors of every grid, chosen by the column's format: a drop-down of
// the value list that completes a typed name and accepts only listed entries,
// an amount box whose keys are filtered, a date box with the mask
// "00/00/0000" in the user's order, or a text box whose typing may be limited
// in length and may drop apostrophes. An editor shows the stored value whole.
//
// Enter commits the cell, closes its editor and reports enterPressed, so the
// grid moves exactly once. A Date cell's text that is no date is never
// written: Enter and Tab leave the editor open with the text as typed and
// report why (refusedDate), and a commit from elsewhere keeps the cell's value. A value is written only when it differs
// from the stored one, so opening and leaving a cell changes nothing.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(GridModel &model, QObject *parent = nullptr);

    // Called when a drop-down cell is left with a text that is not listed;
    // the cell keeps its value.
    std::function<void(const QString &typed)> refusedEntry;
    // Called when a Date cell's text is no date, with the reason.
    std::function<void(const QString &typed, const QString &problem)> refusedDate;
    // Called when typing into a cell of a length-limited column reaches the
    // limit, with the column and the limit.
    std::function<void(int column, int limit)> typingLimitReached;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

signals:
    void enterPressed();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    // The reason a Date cell's editor holds no date, reported; empty for a
    // date, an empty box, or any other editor.
    QString refuseUnreadableDate(QWidget *editor) const;
    void setListedModelData(const QString &typed, QAbstractItemModel *model, const QModelIndex &index) const;

    GridModel &m_model;
    // Set while a value is written: a message box shown by the window's
    // reaction takes the focus, and that must not close the editor under way.
    mutable bool m_committing = false;
};

} // namespace bc
