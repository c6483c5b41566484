// libFuzzer target for amount parsing and the amount key filter. Parsing any
// text must either refuse it or give an amount within the accepted range that
// formats back to itself; feeding the bytes as keys through the key filter
// must only ever build text of digits, one minus sign and one decimal point.
#include "fuzzcheck.h"
#include "money.h"
#include "textroutines.h"

#include <cstddef>
#include <cstdint>

namespace {

void checkParsed(const QString &text)
{
    if (const std::optional<bc::Money> amount = bc::Money::parse(text)) {
        fuzzCheck(amount->abs().cents() <= bc::Money::MaxCents);
        fuzzCheck(bc::Money::parse(amount->toPlain()) == amount);
        fuzzCheck(amount->toStandard().remove(u',') == amount->toPlain());
    }
    const bc::Money leading = bc::Money::leadingNumber(text);
    fuzzCheck(leading.abs().cents() <= bc::Money::MaxCents);
}

QString typeKeys(const uint8_t *data, size_t size, bool allowDecimal)
{
    QString field;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const int key = data[i] | (data[i + 1] << 8);
        const int passed = bc::AmountKeyFilter(key, field, allowDecimal);
        if (passed == 0 || passed <= 26) {
            if (passed == 8 && !field.isEmpty()) // Backspace
                field.chop(1);
            continue;
        }
        field += QChar(char16_t(passed));
    }
    return field;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkParsed(QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    for (bool allowDecimal : {true, false}) {
        const QString field = typeKeys(data, size, allowDecimal);
        fuzzCheck(field.count(u'-') <= 1 && field.count(u'.') <= (allowDecimal ? 1 : 0));
        for (QChar c : field)
            fuzzCheck(c == u'-' || c == u'.' || (c >= u'0' && c <= u'9'));
        checkParsed(field);
    }
    return 0;
}
