#include "apppaths.h"

#include "book.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace bc {

AppPaths AppPaths::standard()
{
    return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Brindlecot")};
}

QString AppPaths::createDefaultBookOnFirstStart() const
{
    if (QFileInfo::exists(settingsFilePath()) || QFileInfo::exists(defaultBookPath()))
        return QString();
    if (!QDir().mkpath(dataDir))
        return QStringLiteral("The folder \"%1\" cannot be created.").arg(dataDir);
    return Book::create(defaultBookPath());
}

} // namespace bc
