#pragma once

#include "dialect.h"

namespace bc {

// A book file's SQL: its NOCASE collation and LIKE fold the letters A to Z,
// dates are ISO text, JSON goes through the json1 functions.
class SqliteDialect final : public Dialect {
public:
    Engine engine() const override { return Engine::SQLite; }
    QString wholeSum(const QString &expression) const override;
    QString monthOfDate(const QString &column) const override;
    QString likeIgnoringCase(const QString &column) const override;
    QString orderIgnoringCase(const QString &column) const override;
    QString jsonArrayText(const QStringList &expressions) const override;
    QString jsonArrayElement(const QString &json, int index, const QString &serverType) const override;
    QString idsOfJsonArray() const override;
    QString positionOf(const QString &needle, const QString &haystack) const override;
    QString tableNamed() const override;
    QString triggersNamed() const override;
    QString dropTriggerIfExists(const QString &trigger, const QString &table) const override;

protected:
    QString dateOrOpenEnd(bool lower) const override;
};

} // namespace bc
