#include "textroutines.h"

#include <array>

namespace bc {

QString NullToText(const QVariant &value)
{
    if (value.isNull() || !value.isValid() || !value.canConvert<QString>())
        return QString();
    const QString text = value.toString().trimmed();
    return text == QLatin1String("0") ? QString() : text;
}

int AmountKeyFilter(int keyCode, const QString &currentText, bool allowDecimal)
{
    if (keyCode <= 0 || keyCode > 0xFFFF)
        return 0;
    const QChar typed = QChar(char16_t(keyCode)).toUpper();
    const int code = typed.unicode();
    if (code == 32)
        return 0;
    if (code > 26) {
        if (typed == u'.' && currentText.contains(u'.'))
            return 0;
        if (typed == u'-' && currentText.contains(u'-'))
            return 0;
        const QString allowed = allowDecimal ? QStringLiteral("-0123456789.") : QStringLiteral("-0123456789");
        if (!allowed.contains(typed))
            return 0;
    }
    return code;
}

bool isBuiltInAccountName(const QString &name)
{
    static const std::array<QLatin1String, 6> names = {QLatin1String("RST"),   QLatin1String("SC"),
                                                       QLatin1String("CST"),   QLatin1String("CASH"),
                                                       QLatin1String("SALES"), QLatin1String("PURCHASE")};
    for (const auto &n : names)
        if (name == n)
            return true;
    return false;
}

QString safeFileName(const QString &text)
{
    QString name = text.simplified();
    for (QChar &c : name)
        if (QStringView(u"/\\:*?\"<>|").contains(c) || c.unicode() < 32)
            c = u'-';
    return name;
}

QString withCurrency(const QString &caption, const QString &currency)
{
    const QString label = currency.trimmed();
    return label.isEmpty() ? caption : caption + QStringLiteral(" (") + label + u')';
}

} // namespace bc
