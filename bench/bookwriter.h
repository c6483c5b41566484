#pragma once

#include "dataset.h"

#include <QDate>
#include <QString>

namespace bc::bench {

// The financial year written into a generated book's settings.
struct FinancialYear {
    QDate start;
    QDate end;
};

// Creates a new book at path holding the data set. The transactions go in
// through one prepared statement inside one transaction, with the side and
// date indexes dropped during the load and built again after it, which is
// many times faster than keeping them up to date row by row. A server
// location (its database empty) is loaded through COPY instead
// (serverwriter.h). Returns an empty text on success, else the reason.
QString writeBook(const QString &path, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts,
                  const FinancialYear &year);

} // namespace bc::bench
