#include "columnfitter.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <numeric>

namespace bc {

namespace {

constexpr int ElasticMinimum = 80;
constexpr int Padding = 12;

} // namespace

ColumnFitter::ColumnFitter(QTableView *view, QList<int> elastic)
    : QObject(view)
    , m_view(view)
    , m_elastic(std::move(elastic))
{
    view->horizontalHeader()->setStretchLastSection(false);
    view->viewport()->installEventFilter(this);
    // After the view has taken the new rows in.
    connect(view->model(), &QAbstractItemModel::modelReset, this,
            [this] { QTimer::singleShot(0, this, &ColumnFitter::fit); });
}

bool ColumnFitter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_view->viewport())
        fit();
    return QObject::eventFilter(watched, event);
}

void ColumnFitter::fit()
{
    const QHeaderView *header = m_view->horizontalHeader();
    const QAbstractItemView *view = m_view; // where the content's width is public
    const auto needed = [&](int column) {
        return std::max(header->sectionSizeHint(column), view->sizeHintForColumn(column)) + Padding;
    };
    int fixed = 0;
    int elasticNeed = 0;
    for (int c = 0; c < header->count(); ++c) {
        if (m_view->isColumnHidden(c))
            continue;
        if (m_elastic.contains(c)) {
            elasticNeed += needed(c);
            continue;
        }
        const int width = needed(c);
        m_view->setColumnWidth(c, width);
        fixed += width;
    }
    const int room = m_view->viewport()->width() - fixed;
    QList<int> shown;
    QList<int> widths;
    for (int c : m_elastic) {
        if (m_view->isColumnHidden(c))
            continue;
        const int share = elasticNeed > 0 ? int(qint64(room) * needed(c) / elasticNeed) : 0;
        shown << c;
        widths << std::max(ElasticMinimum, share);
    }
    // A column raised to its minimum takes its room from the widest, so the
    // columns together still fit without scrolling where they can.
    const int over = int(std::accumulate(widths.begin(), widths.end(), 0)) - room;
    if (over > 0 && !widths.isEmpty()) {
        int &widest = *std::max_element(widths.begin(), widths.end());
        widest = std::max(ElasticMinimum, widest - over);
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        m_view->setColumnWidth(shown[i], widths[i]);
}

} // namespace bc
