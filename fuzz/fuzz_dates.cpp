// libFuzzer target for the date conversions and the date entry's parser:
// any text must convert without crashing, and every date the parsers accept
// must come back unchanged from its own rendering.
#include "dates.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const char *format : {bc::DayFirstFormat, bc::MonthFirstFormat, "dd/mm/yyyy", "mm/dd/yyyy"}) {
        const QString dateFormat = QString::fromLatin1(format);
        const QDate typed = bc::parseUserDate(text, dateFormat);
        if (typed.isValid()) {
            fuzzCheck(bc::parseUserDate(bc::formatUserDate(typed, dateFormat), dateFormat) == typed);
            const QDate shown = QDate::fromString(bc::formatReportDate(typed, dateFormat),
                                                  bc::reportDatePattern(dateFormat));
            fuzzCheck(shown == typed);
        }
        const bool valid = bc::IsValidDate(text, dateFormat);
        if (dateFormat != QLatin1String("dd/mm/yyyy"))
            fuzzCheck(valid == typed.isValid());
        const std::optional<QString> query = bc::ToQueryDate(text, dateFormat);
        // Day-first conversion splits at "/" only, so it is checked where the
        // validity check itself demands that it works.
        if (valid && (bc::isMonthFirst(dateFormat) || dateFormat == QLatin1String("dd/mm/yyyy")))
            fuzzCheck(query && bc::parseMonthFirst(*query).isValid());
    }
    const QDate monthFirst = bc::parseMonthFirst(text);
    if (monthFirst.isValid())
        fuzzCheck(bc::parseMonthFirst(monthFirst.toString(QStringLiteral("MM/dd/yyyy"))) == monthFirst);
    const QDate shortDate = bc::parseShortDate(text);
    if (shortDate.isValid())
        fuzzCheck(bc::parseShortDate(bc::shortDateText(shortDate)) == shortDate);
    const QDate iso = bc::fromIsoDate(text);
    if (iso.isValid())
        fuzzCheck(bc::isoDate(iso) == text);
    return 0;
}
