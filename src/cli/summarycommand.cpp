#include "commands.h"
#include "reports.h"

#include "accountclasses.h"

#include <QRegularExpression>
#include <QSet>

namespace bc::cli {

namespace {

// The class a --class value names: account type codes apart by commas.
AccountClass givenClass(const CommandLine &commandLine)
{
    AccountClass given;
    if (!commandLine.isSet(QStringLiteral("class")))
        return given;
    const QString text = commandLine.requiredValue(QStringLiteral("class"));
    for (const QString &piece : text.split(u',')) {
        bool ok = false;
        const qint64 code = piece.trimmed().toLongLong(&ok);
        if (!ok)
            throw usageError(
                QStringLiteral("--class: \"%1\" is not a list of account type codes such as 1,3").arg(text));
        given.typeCodes.append(code);
    }
    return given;
}

// A bound as given: the summary compares it exactly, so "14.996" is not
// rounded to a cent, and one beyond any amount sets no bound.
QString boundText(const CommandLine &commandLine, const QString &name)
{
    if (!commandLine.isSet(name))
        return QString();
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)\\s*$"));
    const QString text = commandLine.requiredValue(name);
    if (!number.match(text).hasMatch())
        throw usageError(QStringLiteral("--%1: \"%2\" is not an amount").arg(name, text));
    return text;
}

} // namespace

void addSummaryOptions(CommandLine &commandLine)
{
    commandLine.addOption(QStringLiteral("from"), QStringLiteral("DATE"), QStringLiteral("First day, YYYY-MM-DD."));
    commandLine.addOption(QStringLiteral("to"), QStringLiteral("DATE"), QStringLiteral("Last day, YYYY-MM-DD."));
    commandLine.addOption(QStringLiteral("account"), QStringLiteral("NAME"),
                          QStringLiteral("An account to list; may be repeated."));
    commandLine.addOption(QStringLiteral("class"), QStringLiteral("CODES"),
                          QStringLiteral("List the accounts of these types, e.g. 1,3 (1 Income, 2 Expense, "
                                         "3 Income/Expense, 4 Asset, 5 Liability, 6 Asset/Liability)."));
    commandLine.addOption(QStringLiteral("open-min"), QStringLiteral("X"), QStringLiteral("Lowest opening listed."));
    commandLine.addOption(QStringLiteral("open-max"), QStringLiteral("X"), QStringLiteral("Highest opening listed."));
    commandLine.addOption(QStringLiteral("bal-min"), QStringLiteral("X"), QStringLiteral("Lowest balance listed."));
    commandLine.addOption(QStringLiteral("bal-max"), QStringLiteral("X"), QStringLiteral("Highest balance listed."));
    commandLine.addFyStartOption();
}

SummaryReport summaryReport(const CommandLine &commandLine, Book &book, const QString &bookPath)
{
    SummaryReport report;
    SummaryInput input;
    report.fromDate = input.fromDate = commandLine.date(QStringLiteral("from"));
    report.toDate = input.toDate = commandLine.date(QStringLiteral("to"));
    commandLine.optionalDate(QStringLiteral("fy-start"));
    input.openingAbove = boundText(commandLine, QStringLiteral("open-min"));
    input.openingBelow = boundText(commandLine, QStringLiteral("open-max"));
    input.balanceAbove = boundText(commandLine, QStringLiteral("bal-min"));
    input.balanceBelow = boundText(commandLine, QStringLiteral("bal-max"));
    const AccountClass chosenClass = givenClass(commandLine);
    const QStringList named = commandLine.values(QStringLiteral("account"));

    openBook(book, bookPath);
    report.settings = bookSettings(book);
    input.finYearStart = finYearStart(commandLine, report.settings);
    const AccountDirectory directory(book);
    QSet<qint64> chosen;
    for (const QString &name : named)
        chosen.insert(directory.require(name, QStringLiteral("--account")));

    // The accounts in the order the summary window lists them, chosen by
    // name, by class, or all when neither is given.
    const AccountFindResult all = findAccounts(book, QString(), QString(), QString());
    const bool everyAccount = named.isEmpty() && !commandLine.isSet(QStringLiteral("class"));
    for (int r = 0; r < all.rows.rowCount(); ++r) {
        const qint64 id = all.rows.intAt(r, AccountCol::Id);
        const bool typed = chosenClass.includes(all.rows.isNull(r, AccountCol::Type)
                                                    ? std::nullopt
                                                    : std::optional<qint64>(all.rows.intAt(r, AccountCol::Type)));
        if (everyAccount || chosen.contains(id) || typed)
            input.accounts.push_back({id, AccountSide::Account, all.rows.textAt(r, AccountCol::Name)});
    }
    report.result = computeSummary(book, input);
    return report;
}

TextTable summaryTable(const SummaryReport &report)
{
    TextTable table({{QStringLiteral("account"), QStringLiteral("Account")},
                     {QStringLiteral("opening"), QStringLiteral("Opening"), true},
                     {QStringLiteral("movement"), QStringLiteral("Movement"), true},
                     {QStringLiteral("balance"), QStringLiteral("Balance"), true}});
    const SummaryResult &summary = report.result;
    for (const SummaryRow &row : summary.listed)
        table.addRow({row.name, row.opening.toPlain(), row.movement.toPlain(), row.balance.toPlain()});
    table.addRow({QStringLiteral("Total"), summary.totalOpening.toPlain(), summary.totalMovement.toPlain(),
                  summary.totalBalance.toPlain()});
    return table;
}

int runSummary(const QStringList &arguments)
{
    return runReportCommand(arguments, QStringLiteral("summary"),
                            QStringLiteral("Prints the opening, movement and balance of the chosen accounts "
                                           "(every account when neither --account nor --class is given), "
                                           "then their totals."),
                            addSummaryOptions, summaryReport, summaryTable);
}

} // namespace bc::cli
