#pragma once

#include "ledger.h"
#include "resultmodel.h"

namespace bc {

// The Account Ledger's grid over a ledger's movements: the date, the
// particulars, a debit's magnitude in the Debit column or a credit's in the
// Credit column (the other empty), and the running balance with its side.
class LedgerModel : public ResultModel<LedgerResult, LedgerMovement> {
public:
    enum Column { DateColumn, ParticularsColumn, DebitColumn, CreditColumn, BalanceColumn, ColumnCount };

    explicit LedgerModel(QObject *parent = nullptr);
};

} // namespace bc
