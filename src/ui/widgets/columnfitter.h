#pragma once

#include <QList>
#include <QObject>

class QTableView;

namespace bc {

// Keeps a grid's columns as wide as their content, every time the grid's
// width or rows change: the columns not named elastic take the width their
// text needs, and the elastic ones (long free text) share what is left in
// proportion to their text, so no column holds empty space while another
// cuts its text. Text still too long is elided; the window gives its full
// text as the cell's tip.
class ColumnFitter : public QObject {
    Q_OBJECT
public:
    ColumnFitter(QTableView *view, QList<int> elastic);

    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView *m_view;
    QList<int> m_elastic;
};

} // namespace bc
