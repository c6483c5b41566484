#include "sqlitehandle.h"

#include <QSqlDriver>
#include <QVariant>

namespace bc {

sqlite3 *connectionHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

} // namespace bc
