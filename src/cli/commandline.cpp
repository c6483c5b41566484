#include "commandline.h"

#include "clierror.h"
#include "dates.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

namespace bc::cli {

namespace {

QString optionName(const QString &name)
{
    return QStringLiteral("--") + name;
}

} // namespace

QDate parseIsoOption(const QString &what, const QString &text)
{
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(QStringLiteral("\\d{4}-\\d{2}-\\d{2}")));
    if (!shape.match(text).hasMatch())
        throw usageError(QStringLiteral("%1: \"%2\" is not a date of the form YYYY-MM-DD").arg(what, text));
    const QDate date = fromIsoDate(text);
    if (!date.isValid())
        throw refusal(QStringLiteral("%1: the date %2 does not exist").arg(what, text));
    return date;
}

CommandLine::CommandLine(const QString &command, const QString &description, const QStringList &positionals)
    : m_command(command)
    , m_expected(positionals)
{
    m_parser.setApplicationDescription(description);
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addHelpOption();
    for (const QString &p : positionals) {
        const QString what = p == QLatin1String("BOOK") ? QStringLiteral("The book file.")
            : p == QLatin1String("FILE")                ? QStringLiteral("The CSV file to read.")
            : p == QLatin1String("BACKUP")              ? QStringLiteral("The copy of a book to put in its place.")
            : p == QLatin1String("[DEST]") ? QStringLiteral("Where the copy goes: a folder or a new .fd file.")
            : p.startsWith(u'[')           ? QStringLiteral("May be left out.")
                                           : QStringLiteral("One of these words.");
        m_parser.addPositionalArgument(p, what);
    }
}

void CommandLine::addOption(const QString &name, const QString &valueName, const QString &description)
{
    m_options << name;
    m_parser.addOption(valueName.isEmpty() ? QCommandLineOption(name, description)
                                           : QCommandLineOption(name, description, valueName));
}

void CommandLine::addFormatOption()
{
    addOption(QStringLiteral("format"), QStringLiteral("table|csv"),
              QStringLiteral("Aligned columns for people (default) or CSV with a header line."));
}

void CommandLine::addFyStartOption()
{
    addOption(QStringLiteral("fy-start"), QStringLiteral("DATE"),
              QStringLiteral("Financial-year start to use instead of the book's."));
}

bool CommandLine::parse(const QStringList &arguments)
{
    QStringList all{QStringLiteral("brindlecot-cli")};
    all << arguments;
    if (!m_parser.parse(all))
        throw usageError(QStringLiteral("%1: %2").arg(m_command, m_parser.errorText()));
    if (m_parser.isSet(QStringLiteral("help"))) {
        QString help = m_parser.helpText();
        const qsizetype firstBreak = help.indexOf(u'\n');
        const QString usage = QStringLiteral("Usage: brindlecot-cli %1 %2 [options]")
                                  .arg(m_command, m_expected.join(u' '));
        help = usage + (firstBreak < 0 ? QString() : help.mid(firstBreak));
        std::fputs(help.toUtf8().constData(), stdout);
        return false;
    }
    m_positionals = m_parser.positionalArguments();
    // A positional written in brackets ("[CHANGE]") may be left out.
    const qsizetype required = std::count_if(m_expected.cbegin(), m_expected.cend(),
                                             [](const QString &p) { return !p.startsWith(u'['); });
    if (m_positionals.size() < required || m_positionals.size() > m_expected.size())
        throw usageError(QStringLiteral("%1 expects %2, given %3 argument(s); see brindlecot-cli %1 --help")
                             .arg(m_command, m_expected.join(u' '))
                             .arg(m_positionals.size()));
    return true;
}

QString CommandLine::requiredValue(const QString &name) const
{
    if (!m_parser.isSet(name))
        throw usageError(QStringLiteral("%1 needs %2").arg(m_command, optionName(name)));
    const QStringList given = m_parser.values(name);
    if (given.size() > 1)
        throw usageError(QStringLiteral("%1 is given more than once").arg(optionName(name)));
    return given.constFirst();
}

QDate CommandLine::date(const QString &name) const
{
    return parseIsoOption(optionName(name), requiredValue(name));
}

std::optional<QDate> CommandLine::optionalDate(const QString &name) const
{
    if (!m_parser.isSet(name))
        return std::nullopt;
    return date(name);
}

std::optional<Money> CommandLine::amount(const QString &name) const
{
    if (!m_parser.isSet(name))
        return std::nullopt;
    const QString text = requiredValue(name);
    const auto money = Money::parse(text);
    if (!money)
        throw usageError(QStringLiteral("%1: \"%2\" is not an amount").arg(optionName(name), text));
    return money;
}

OutputFormat CommandLine::format(const QString &option) const
{
    if (!m_parser.isSet(option))
        return OutputFormat::Table;
    const QString text = requiredValue(option);
    if (text == QLatin1String("table"))
        return OutputFormat::Table;
    if (text == QLatin1String("csv"))
        return OutputFormat::Csv;
    throw usageError(QStringLiteral("--%1: \"%2\" is neither table nor csv").arg(option, text));
}

} // namespace bc::cli
