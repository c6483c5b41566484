#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <Qt>

namespace bc {

// How a grid shows one column of its row array.
struct GridColumn {
    enum class Format {
        Plain, // the cell's text as stored
        Standard, // an amount with thousands separators and two decimals
        Amount, // an amount as "#0.00"
        Balance, // a running balance: "#0.00" of the magnitude and its side, " (Credit)" or "  (Debit)"
        Date, // a date in datePattern
        ValueList, // the display text of the stored value, from valueList
        Check, // a check box: an Int cell holding 1 is ticked; Space or a click ticks it
    };

    QString caption;
    Format format = Format::Plain;
    bool hidden = false;
    bool editable = false;
    QString datePattern = QStringLiteral("dd/MM/yyyy");
    QList<QPair<QVariant, QString>> valueList; // stored value, display text
    QString headerTip;
    int width = 0; // 0: the view decides

    // Editing: typing into text cells may be limited in length and drop
    // apostrophes; amount cells filter keys; dates are typed in userDateFormat.
    int maxLength = 0;
    bool discardApostrophes = false;
    QString userDateFormat = QStringLiteral("d/M/yyyy");

    static GridColumn shown(const QString &caption, Format format, bool editable = false)
    {
        GridColumn c;
        c.caption = caption;
        c.format = format;
        c.editable = editable;
        return c;
    }
    static GridColumn hiddenColumn(const QString &caption)
    {
        GridColumn c;
        c.caption = caption;
        c.hidden = true;
        return c;
    }

    QString displayFor(const QVariant &stored) const;
    QVariant storedFor(const QString &display) const; // any case; invalid when not listed
};

} // namespace bc
