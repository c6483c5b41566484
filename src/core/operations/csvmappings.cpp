#include "csvmappings.h"

#include "booktransaction.h"
#include "csvmappingstore.h"
#include "dberror.h"

namespace bc {

QStringList csvMappingNames(const Book &book)
{
    return readCsvMappingNames(book);
}

std::optional<CsvMapping> loadCsvMapping(const Book &book, const QString &name)
{
    return readCsvMapping(book, name);
}

void saveCsvMapping(Book &book, const CsvMapping &m)
{
    if (m.name.trimmed().isEmpty())
        throw DbError(QStringLiteral("A CSV mapping needs a name."));
    BookTransaction transaction(book);
    writeCsvMapping(book, m);
    transaction.commit();
}

void deleteCsvMapping(Book &book, const QString &name)
{
    BookTransaction transaction(book);
    removeCsvMapping(book, name);
    transaction.commit();
}

} // namespace bc
