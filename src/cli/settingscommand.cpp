#include "bookaccess.h"
#include "commandline.h"
#include "commands.h"
#include "dates.h"
#include "output.h"
#include "texttable.h"

namespace bc::cli {

namespace {

const QString FyStart = QStringLiteral("fy-start");
const QString FyEnd = QStringLiteral("fy-end");
const QString Currency = QStringLiteral("currency");
const QString DateFormat = QStringLiteral("date-format");

// A year date given on the command line: an ISO date, or empty text for none.
QDate yearDateOption(const CommandLine &commandLine, const QString &name)
{
    const QString text = commandLine.requiredValue(name);
    return text.trimmed().isEmpty() ? QDate() : commandLine.date(name);
}

bool dateFormatOption(const CommandLine &commandLine)
{
    const QString text = commandLine.requiredValue(DateFormat);
    if (text != QLatin1String(DayFirstFormat) && text != QLatin1String(MonthFirstFormat))
        throw usageError(QStringLiteral("--date-format: \"%1\" is neither d/M/yyyy nor M/d/yyyy").arg(text));
    return text == QLatin1String(MonthFirstFormat);
}

TextTable settingsTable(const SystemSettings &settings)
{
    TextTable table(
        {{QStringLiteral("setting"), QStringLiteral("Setting")}, {QStringLiteral("value"), QStringLiteral("Value")}});
    table.addRow({FyStart, isoDate(settings.finYearStart)});
    table.addRow({FyEnd, isoDate(settings.finYearEnd)});
    table.addRow({Currency, settings.currency});
    table.addRow({DateFormat,
                  isMonthFirst(settings.dateFormat) ? QString::fromLatin1(MonthFirstFormat)
                                                    : QString::fromLatin1(DayFirstFormat)});
    return table;
}

} // namespace

void addYearStartOption(CommandLine &commandLine)
{
    commandLine.addOption(FyStart, QStringLiteral("DATE"),
                          QStringLiteral("First day of the financial year, YYYY-MM-DD; \"\" for none."));
}

void changeSettings(Book &book, const CommandLine &commandLine)
{
    SystemSettings settings = bookSettings(book);
    SystemSettingsInput input = inputOf(settings);
    if (commandLine.isSet(FyStart))
        input.finYearStart = yearDateOption(commandLine, FyStart);
    if (commandLine.isSet(FyEnd))
        input.finYearEnd = yearDateOption(commandLine, FyEnd);
    if (commandLine.isSet(Currency))
        input.currency = commandLine.requiredValue(Currency);
    if (commandLine.isSet(DateFormat))
        input.monthFirst = dateFormatOption(commandLine);
    const SettingsSaveResult saved = saveSystemSettings(book, input, QDate::currentDate(), QStringLiteral("settings"));
    if (!saved.ok())
        throw refusal(oneLine(saved.text));
}

int runSettings(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("settings"),
                            QStringLiteral("Prints the book's settings, or changes those given (the others, and "
                                           "the login, stay as they are) as the Configurations window saves them."),
                            {QStringLiteral("BOOK")});
    addYearStartOption(commandLine);
    commandLine.addOption(FyEnd, QStringLiteral("DATE"),
                          QStringLiteral("Last day of the financial year, YYYY-MM-DD; \"\" for none."));
    commandLine.addOption(Currency, QStringLiteral("TEXT"), QStringLiteral("The currency label."));
    commandLine.addOption(DateFormat, QStringLiteral("d/M/yyyy|M/d/yyyy"),
                          QStringLiteral("The order in which the windows show and read dates."));
    commandLine.addFormatOption();
    if (!commandLine.parse(arguments))
        return Success;
    const OutputFormat format = commandLine.format();
    Book book;
    openBook(book, commandLine.positional(0));
    const bool changing = commandLine.isSet(FyStart) || commandLine.isSet(FyEnd) || commandLine.isSet(Currency)
        || commandLine.isSet(DateFormat);
    if (changing)
        changeSettings(book, commandLine);
    else
        writeOut(settingsTable(bookSettings(book)).render(format));
    return Success;
}

} // namespace bc::cli
