#pragma once

#include "resultmodel.h"
#include "summary.h"

namespace bc {

// The columns of the Account Summary's grid.
namespace SummaryGridColumn {
enum : int { IdColumn, NameColumn, OpeningColumn, MovementColumn, BalanceColumn, SideColumn, ColumnCount };
}

// The Account Summary's grid over the listed accounts: the id (hidden), the
// name, the opening, movement and balance, and the side flag in words.
class SummaryModel : public ResultModel<SummaryResult, SummaryRow> {
public:
    explicit SummaryModel(QObject *parent = nullptr);
};

} // namespace bc
