#include "amounttext.h"
#include "csvstatement.h"
#include "datepattern.h"
#include "statementreader.h"

#include <QFile>
#include <ctime>
#include <gtest/gtest.h>

using namespace bc;

namespace {

QByteArray sample(const char *name)
{
    QFile file(QStringLiteral(BRINDLECOT_STATEMENTS_DIR) + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

Statement read(const char *name, const StatementReadOptions &options = {})
{
    const QByteArray data = sample(name);
    const auto format = detectStatementFormat(data, QLatin1String(name));
    EXPECT_TRUE(format.has_value()) << name;
    return readStatement(data, format.value_or(StatementFormat::Csv), options);
}

// The refusal of a file: "where: reason", or empty when it was read.
std::string refusalOf(const QByteArray &data, StatementFormat format, const StatementReadOptions &options = {})
{
    try {
        readStatement(data, format, options);
    } catch (const StatementError &e) {
        return e.text().toStdString();
    }
    return {};
}

std::string refusal(const char *name, const StatementReadOptions &options = {})
{
    const QByteArray data = sample(name);
    return refusalOf(data, detectStatementFormat(data, QLatin1String(name)).value_or(StatementFormat::Csv), options);
}

Money cents(qint64 value)
{
    return Money::fromCents(value);
}

struct Expected {
    QDate date;
    qint64 cents;
    const char *payee;
    const char *memo;
    const char *uniqueId;
};

void expectLines(const Statement &statement, const std::vector<Expected> &expected)
{
    ASSERT_EQ(statement.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const StatementLine &line = statement.lines[i];
        EXPECT_EQ(line.date, expected[i].date) << i;
        EXPECT_EQ(line.amount, cents(expected[i].cents)) << i;
        EXPECT_EQ(line.payee, QString::fromUtf8(expected[i].payee)) << i;
        EXPECT_EQ(line.memo, QString::fromUtf8(expected[i].memo)) << i;
        EXPECT_EQ(line.uniqueId, QString::fromUtf8(expected[i].uniqueId)) << i;
    }
}

StatementReadOptions csvOptions(const CsvMapping &mapping)
{
    StatementReadOptions options;
    options.csv = mapping;
    return options;
}

CsvMapping germanMapping()
{
    CsvMapping mapping;
    mapping.delimiter = u';';
    mapping.encoding = TextEncoding::Windows1252;
    mapping.datePattern = QStringLiteral("dd.MM.yyyy");
    mapping.amountColumn = -1;
    mapping.debitColumn = 3;
    mapping.creditColumn = 4;
    mapping.payeeColumn = 1;
    mapping.memoColumn = 2;
    mapping.decimalSeparator = u',';
    mapping.thousandsSeparators = QStringLiteral(". ");
    return mapping;
}

} // namespace

TEST(AmountText, ReadsTheFormsBanksWriteAndRefusesWhatCouldBeReadTwoWays)
{
    const AmountFormat point;
    AmountFormat comma;
    comma.decimalSeparator = u',';
    comma.thousandsSeparators = QStringLiteral(". ");
    const std::vector<std::tuple<const char *, const AmountFormat *, qint64>> read =
        {{"1,234.56", &point, 123456},  {"$12.50", &point, 1250},
         {"(12.50)", &point, -1250},    {"-$12.50", &point, -1250},
         {"($1,000)", &point, -100000}, {"1.234,56", &comma, 123456},
         {"1 234,56", &comma, 123456},  {"1\u00a0234,56 €", &comma, 123456},
         {"-0,5", &comma, -50},         {".5", &point, 50}};
    for (const auto &[text, format, expected] : read)
        EXPECT_EQ(parseAmountText(QString::fromUtf8(text), *format), cents(expected)) << text;
    for (const char *text :
         {"12.50-", "(-12.50)", "1,23.45", "12,3456.00", "1.234.56", "", "$", "1e5", "12 .50", "--5", "1,234,5"})
        EXPECT_FALSE(parseAmountText(QString::fromUtf8(text), point)) << text;
    EXPECT_FALSE(parseAmountText(QStringLiteral("1,234.56"), comma));
}

TEST(DatePattern, ReadsAnyOrderWithOrWithoutLeadingZerosAndRefusesImpossibleDates)
{
    EXPECT_EQ(parseDateByPattern(QStringLiteral("2024/01/05"), QStringLiteral("yyyy/MM/dd")), QDate(2024, 1, 5));
    EXPECT_EQ(parseDateByPattern(QStringLiteral("5.1.2024"), QStringLiteral("dd.MM.yyyy")), QDate(2024, 1, 5));
    EXPECT_EQ(parseDateByPattern(QStringLiteral("01/05/24"), QStringLiteral("M/d/yy")), QDate(2024, 1, 5));
    EXPECT_EQ(parseDateByPattern(QStringLiteral("20240105"), QStringLiteral("yyyyMMdd")), QDate(2024, 1, 5));
    EXPECT_FALSE(parseDateByPattern(QStringLiteral("2024115"), QStringLiteral("yyyyMMdd")).isValid());
    EXPECT_FALSE(parseDateByPattern(QStringLiteral("30.02.2024"), QStringLiteral("dd.MM.yyyy")).isValid());
    EXPECT_FALSE(isDatePattern(QStringLiteral("yyyy/MM")));
    EXPECT_FALSE(isDatePattern(QStringLiteral("dd/MM/yyyy hh")));
}

TEST(CsvStatement, ReadsDebitAndCreditColumnsInWindows1252WithADecimalComma)
{
    StatementReadOptions options;
    options.csv = germanMapping();
    const Statement statement = readStatement(sample("debit-credit.csv"), StatementFormat::Csv, options);
    expectLines(statement,
                {{QDate(2024, 1, 2), -123456, "Stadtwerke München", "Strom Januar", ""},
                 {QDate(2024, 1, 5), 250000, "Arbeitgeber GmbH", "Gehalt", ""},
                 {QDate(2024, 1, 9), -1250, "Kiosk", "Zeitung", ""},
                 {QDate(2024, 1, 10), 1250, "Rückbuchung", "Gutschrift; Storno", ""}});
    EXPECT_EQ(statement.lines[2].where, QStringLiteral("line 4"));

    // The first guess from the header finds the same columns and forms.
    const CsvMapping guessed = guessCsvMapping(sample("debit-credit.csv"));
    const CsvMapping expected = germanMapping();
    EXPECT_EQ(guessed.delimiter, expected.delimiter);
    EXPECT_EQ(guessed.encoding, expected.encoding);
    EXPECT_EQ(guessed.datePattern, expected.datePattern);
    EXPECT_EQ(std::tuple(guessed.amountColumn, guessed.debitColumn, guessed.creditColumn),
              std::tuple(expected.amountColumn, expected.debitColumn, expected.creditColumn));
    EXPECT_EQ(std::tuple(guessed.payeeColumn, guessed.memoColumn), std::tuple(1, 2));
    EXPECT_EQ(guessed.decimalSeparator, u',');
    // Account details above the header are skipped by the guess too.
    const QByteArray withDetails = "Konto;DE44500105175407324931\r\n\r\n" + sample("debit-credit.csv");
    const CsvMapping below = guessCsvMapping(withDetails);
    EXPECT_EQ(below.skipRows, 2);
    EXPECT_EQ(readCsvStatement(withDetails, below).lines.size(), 4u);
}

TEST(CsvStatement, RefusesTheFirstLineWhoseAmountOrDateDoesNotRead)
{
    CsvMapping mapping;
    mapping.payeeColumn = 1;
    mapping.amountColumn = 2;
    StatementReadOptions options;
    options.csv = mapping;
    EXPECT_EQ(refusal("malformed.csv", options), "line 3: the amount \"12.50-\" is not an amount");
    mapping.amountColumn = -1;
    mapping.debitColumn = 2;
    mapping.creditColumn = 3;
    EXPECT_THROW(readCsvStatement("Date,Payee,Out,In\n2024-01-05,Shop,12.50,1.00\n", mapping), StatementError);
    mapping.datePattern = QStringLiteral("dd/MM/yyyy");
    try {
        readCsvStatement("Date,Payee,Out,In\n05/01/2024,Shop,1,\n\n31/02/2024,Shop,1,\n", mapping);
        ADD_FAILURE() << "an impossible date was read";
    } catch (const StatementError &e) {
        EXPECT_EQ(e.where(), QStringLiteral("line 4"));
    }
}

TEST(QifStatement, ReadsDayFirstDatesWindows1252TextAndOnlyTheBankSection)
{
    const Statement statement = read("day-first-cp1252.qif");
    EXPECT_EQ(statement.accountIdentity, QStringLiteral("Everyday Account"));
    expectLines(statement,
                {{QDate(2024, 4, 3), -123456, "Café François", "Rent € April", ""},
                 {QDate(2024, 4, 15), 250000, "Salary", "", ""},
                 {QDate(2024, 5, 1), -1250, "Corner Shop", "", ""}});
    EXPECT_EQ(statement.lines[0].number, QStringLiteral("204"));
}

TEST(QifStatement, DatesThatReadBothWaysNeedAnOrderAndMalformedRecordsAreNamed)
{
    const QByteArray ambiguous = "!Type:Cash\nD01/02/2024\nT-1\n^\nD03/04'24\nT2\n^\n";
    try {
        readStatement(ambiguous, StatementFormat::Qif, {});
        ADD_FAILURE() << "an ambiguous file was read";
    } catch (const StatementError &e) {
        EXPECT_EQ(e.text().toStdString(),
                  "line 2: dates such as 01/02/2024 can be read day-first or month-first; "
                  "choose the order");
    }
    StatementReadOptions monthFirst;
    monthFirst.qifDateOrder = DateOrder::MonthDayYear;
    const Statement statement = readStatement("!Type:Cash\nD01/02/2024\nT-1\n^\nD03/04'24\nT2\n^\n",
                                              StatementFormat::Qif, monthFirst);
    ASSERT_EQ(statement.lines.size(), 2u);
    EXPECT_EQ(statement.lines[1].date, QDate(2024, 3, 4));

    EXPECT_EQ(refusal("malformed.qif"), "line 7: \"ten\" is not an amount");
    EXPECT_EQ(refusal("malformed.qif", monthFirst), "line 7: \"ten\" is not an amount");
    EXPECT_THROW(readStatement("!Type:Bank\nD13/13/2024\nT1\n^\n", StatementFormat::Qif, {}), StatementError);
    EXPECT_THROW(readStatement("!Type:Invst\nD1/1/2024\nT1\n^\n", StatementFormat::Qif, {}), StatementError);
    EXPECT_EQ(refusalOf("!Account\nNOne\n^\n!Type:Bank\nD1/1/2024\nT1\n^\n"
                        "!Account\nNTwo\n^\n!Type:Bank\nD1/1/2024\nT1\n^\n",
                        StatementFormat::Qif),
              "line 11: the file holds the transactions of more than one account (\"One\" and \"Two\"); write one "
              "account to a file");
}

TEST(QifStatement, CardAndOtherAccountRegistersReadAsTheyMoveTheAccountAndInvestmentsAreRefused)
{
    // A card's charge is written negative: money out of the card account.
    const Statement card = readStatement("!Account\nNVisa\nTCCard\n^\n!Type:CCard\nD11/03/2026\nT-45.00\nPTESCO\n^\n"
                                         "D11/20/2026\nT500.00\nPPAYMENT THANK YOU\n^\n",
                                         StatementFormat::Qif, {});
    EXPECT_EQ(card.accountIdentity, QStringLiteral("Visa"));
    expectLines(card,
                {{QDate(2026, 11, 3), -4500, "TESCO", "", ""},
                 {QDate(2026, 11, 20), 50000, "PAYMENT THANK YOU", "", ""}});
    for (const char *type : {"Oth A", "Oth L", "oth  l", "Cash"})
        EXPECT_EQ(readStatement(QByteArray("!Type:") + type + "\nD2026-11-03\nT-1.00\n^\n", StatementFormat::Qif, {})
                      .lines.size(),
                  1u)
            << type;
    EXPECT_EQ(refusalOf("!Type:Cat\nNFood\n^\n!Type:Invst\nD1/1/2024\nNBuy\nT1\n^\n", StatementFormat::Qif),
              "line 4: !Type:Invst is an investment account, whose trades this program does not import; export a "
              "bank, cash or card account");
    EXPECT_EQ(refusalOf("!Type:Bill\nD1/1/2024\nT1\n^\n", StatementFormat::Qif),
              "line 1: !Type:Bill is no account type this program reads (Bank, Cash, CCard, Oth A, Oth L)");
}

TEST(CamtStatement, ReadsBalancesDirectionsAndBatchEntriesLineByLine)
{
    const Statement statement = read("batch.camt053.xml");
    EXPECT_EQ(statement.accountIdentity, QStringLiteral("NL91ABNA0417164300"));
    EXPECT_EQ(statement.currency, QStringLiteral("EUR"));
    EXPECT_EQ(statement.periodStart, QDate(2024, 3, 1));
    EXPECT_EQ(statement.periodEnd, QDate(2024, 3, 31));
    EXPECT_EQ(statement.openingBalance, cents(100000));
    EXPECT_EQ(statement.closingBalance, cents(163455));
    expectLines(statement,
                {{QDate(2024, 3, 4), -4545, "City Power Ltd", "Invoice 889 March", "REF-0304-1"},
                 {QDate(2024, 3, 15), 25000, "Anna Lind", "Membership 2024", "BATCH-0315/1"},
                 {QDate(2024, 3, 15), 45000, "Jörg Brandt", "", "BATCH-0315-B"},
                 {QDate(2024, 3, 20), -2000, "", "Card fees", "REF-0320"}});
    Money sum = *statement.openingBalance;
    for (const StatementLine &line : statement.lines)
        sum += line.amount;
    EXPECT_EQ(sum, *statement.closingBalance);
}

TEST(CamtStatement, RefusalsNameTheElementAtFault)
{
    EXPECT_EQ(refusal("malformed.camt053.xml"), "Stmt 1/Ntry 2/Amt: \"12,50\" is not an amount");
    QByteArray batch = sample("batch.camt053.xml");
    batch.replace("<Amt Ccy=\"EUR\">450.00</Amt>", "<Amt Ccy=\"EUR\">451.00</Amt>");
    EXPECT_THROW(readStatement(batch, StatementFormat::Camt053, {}), StatementError);
    QByteArray other = sample("batch.camt053.xml");
    other.replace("camt.053.001.02", "camt.052.001.02");
    EXPECT_THROW(readStatement(other, StatementFormat::Camt053, {}), StatementError);
    try {
        readStatement(sample("batch.camt053.xml").left(900), StatementFormat::Camt053, {});
        ADD_FAILURE() << "a cut file was read";
    } catch (const StatementError &e) {
        EXPECT_TRUE(e.where().startsWith(QLatin1String("line "))) << e.text().toStdString();
    }
}

TEST(OfxStatement, ReadsSgmlWithoutClosingTagsAndXml)
{
    const Statement sgml = read("sgml-no-closing-tags.ofx");
    EXPECT_EQ(sgml.accountIdentity, QStringLiteral("000123456789"));
    EXPECT_EQ(sgml.currency, QStringLiteral("USD"));
    EXPECT_EQ(sgml.periodStart, QDate(2024, 1, 1));
    EXPECT_EQ(sgml.periodEnd, QDate(2024, 1, 31));
    EXPECT_EQ(sgml.closingBalance, cents(325344));
    expectLines(sgml,
                {{QDate(2024, 1, 5), -123456, "Harbour Rent & Co", "January rent", "2024010501"},
                 {QDate(2024, 1, 12), -1250, "Corner Grocer", "", "2024011202"},
                 {QDate(2024, 1, 25), 250000, "Salary", "Wages January", "2024012503"}});
    EXPECT_EQ(sgml.lines[1].number, QStringLiteral("1043"));

    const Statement xml = read("xml-v2.ofx");
    EXPECT_EQ(xml.accountIdentity, QStringLiteral("DE44500105175407324931"));
    EXPECT_EQ(xml.currency, QStringLiteral("EUR"));
    EXPECT_EQ(xml.closingBalance, cents(89997));
    expectLines(xml,
                {{QDate(2024, 2, 29), 7, "Interest", "", "INT-2024-02"},
                 {QDate(2024, 2, 10), -10010, "Café Müller", "Transfer & fee", "XF-0210"}});
}

TEST(OfxStatement, RefusesATransactionWithoutAmountAndTextThatIsNoOfx)
{
    EXPECT_EQ(refusal("malformed.ofx"), "STMTTRN 2/TRNAMT: missing");
    EXPECT_THROW(readStatement("OFXHEADER:100\n\n<OFX><BANKMSGSRSV1>", StatementFormat::Ofx, {}), StatementError);
    EXPECT_THROW(readStatement("date,amount\n", StatementFormat::Ofx, {}), StatementError);
    QByteArray twoAccounts = sample("sgml-no-closing-tags.ofx");
    const qsizetype start = twoAccounts.indexOf("<STMTTRNRS>");
    const qsizetype end = twoAccounts.indexOf("</STMTTRNRS>") + 12;
    twoAccounts.insert(end, twoAccounts.mid(start, end - start).replace("000123456789", "000987654321"));
    EXPECT_EQ(refusalOf(twoAccounts, StatementFormat::Ofx),
              "ACCTID: the file holds statements of more than one account (000123456789 and 000987654321)");
}

TEST(OfxStatement, AmountsAndDatesNotWrittenAsOfxRefuseTheFileNamingTheElement)
{
    const QByteArray sgml = sample("sgml-no-closing-tags.ofx");
    for (const char *amount : {"1,234.56", "1 234.56", "12.00-", "0x10", "1e5", "abc", "(12.00)", "12.345", "1,500"}) {
        QByteArray data = sgml;
        data.replace("<TRNAMT>2500.00", QByteArray("<TRNAMT>") + amount);
        EXPECT_EQ(refusalOf(data, StatementFormat::Ofx),
                  std::string("STMTTRN 3/TRNAMT: \"") + amount + "\" is not an OFX amount");
    }
    for (const char *date : {"20261345", "20260230", "yesterday", "202601", "00000000", "20260105250000"}) {
        QByteArray data = sgml;
        data.replace("<DTPOSTED>20240125", QByteArray("<DTPOSTED>") + date);
        EXPECT_EQ(refusalOf(data, StatementFormat::Ofx),
                  std::string("STMTTRN 3/DTPOSTED: \"") + date + "\" is not an OFX date");
    }
    QByteArray written = sgml;
    written.replace("<TRNAMT>2500.00", "<TRNAMT>+2500,5").replace("<TRNAMT>-12.5", "<TRNAMT>-12.5000");
    const Statement statement = readStatement(written, StatementFormat::Ofx, {});
    EXPECT_EQ(statement.lines[1].amount, cents(-1250));
    EXPECT_EQ(statement.lines[2].amount, cents(250050));
}

// The day of a date is the one the bank wrote, in whatever zone the machine
// runs; the variable is set in this process, as a user's session sets it.
TEST(OfxStatement, KeepsTheBanksDayWhateverTheMachinesTimeZone)
{
    QByteArray data = sample("sgml-no-closing-tags.ofx");
    data.replace("<DTPOSTED>20240105", "<DTPOSTED>20260131230000[-5:EST]")
        .replace("<DTPOSTED>20240112120000[-5:EST]", "<DTPOSTED>20260105")
        .replace("<DTPOSTED>20240125", "<DTPOSTED>20260301000000.000[+13:LINT]");
    const QByteArray before = qgetenv("TZ");
    for (const char *zone : {"UTC", "Pacific/Pago_Pago", "Pacific/Kiritimati", "America/New_York"}) {
        qputenv("TZ", zone);
        tzset();
        const Statement statement = readStatement(data, StatementFormat::Ofx, {});
        EXPECT_EQ(statement.lines[0].date, QDate(2026, 1, 31)) << zone;
        EXPECT_EQ(statement.lines[1].date, QDate(2026, 1, 5)) << zone;
        EXPECT_EQ(statement.lines[2].date, QDate(2026, 3, 1)) << zone;
        EXPECT_EQ(statement.periodStart, QDate(2024, 1, 1)) << zone;
    }
    if (before.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", before);
    tzset();
}

TEST(StatementText, TextNotInTheDeclaredEncodingIsReadWholeAndUtf16IsRead)
{
    // Declared UTF-8, written in Windows-1252.
    QByteArray ofx = sample("xml-v2.ofx");
    ofx.replace("Caf\xc3\xa9 M\xc3\xbcller", "Caf\xe9 M\xfcller");
    EXPECT_EQ(readStatement(ofx, StatementFormat::Ofx, {}).lines[1].payee, QStringLiteral("Café Müller"));

    const QString csv = QStringLiteral("Date,Amount,Payee\n2026-01-05,-12.50,Café\n2026-01-06,ten,Shop\n");
    const auto utf16 = [&](const QString &text) {
        QByteArray bytes("\xff\xfe", 2);
        bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return bytes;
    };
    const CsvMapping guessed = guessCsvMapping(utf16(csv));
    EXPECT_EQ(guessed.payeeColumn, 2);
    EXPECT_EQ(refusalOf(utf16(csv), StatementFormat::Csv, csvOptions(guessed)),
              "line 3: the amount \"ten\" is not an amount");
    const QString read = QStringLiteral("Date,Amount,Payee\n2026-01-05,-12.50,Café\n");
    EXPECT_EQ(readCsvStatement(utf16(read), guessed).lines.at(0).payee, QStringLiteral("Café"));
}

TEST(CsvStatement, AGuessWhoseDatesReadBothWaysIsRefusedUntilAnOrderIsGiven)
{
    const QByteArray both = "Date,Amount,Payee\n01/02/2026,-10.00,Shop\n03/04/2026,5.00,Refund\n";
    try {
        guessCsvMappingForImport(both, std::nullopt);
        ADD_FAILURE() << "dates that read both ways were taken one way";
    } catch (const StatementError &e) {
        EXPECT_EQ(e.text().toStdString(),
                  "line 2: dates such as 01/02/2026 can be read day-first or month-first; choose the order");
    }
    EXPECT_EQ(readCsvStatement(both, guessCsvMappingForImport(both, DateOrder::DayMonthYear)).lines[0].date,
              QDate(2026, 2, 1));
    EXPECT_EQ(readCsvStatement(both, guessCsvMappingForImport(both, DateOrder::MonthDayYear)).lines[0].date,
              QDate(2026, 1, 2));
    // A date far down the file that reads one way only settles the order.
    QByteArray settled = both;
    for (int i = 0; i < 30; ++i)
        settled += "01/02/2026,-1.00,Shop\n";
    settled += "01/25/2026,-1.00,Shop\n";
    const CsvMapping monthFirst = guessCsvMappingForImport(settled, std::nullopt);
    EXPECT_EQ(readCsvStatement(settled, monthFirst).lines[0].date, QDate(2026, 1, 2));

    // Three decimals are no cents: refused, not rounded, nor "-1.500" taken
    // for -1.50 where the point may group thousands.
    for (const char *amount : {"-1.500", "12.345"}) {
        const QByteArray data = QByteArray("Date,Amount,Payee\n2026-01-05,") + amount + ",Shop\n";
        EXPECT_EQ(refusalOf(data, StatementFormat::Csv, csvOptions(guessCsvMapping(data))),
                  std::string("line 2: the amount \"") + amount + "\" is not an amount");
    }
}

TEST(QifStatement, AmountsShowingTheirDecimalSeparatorDecideItForTheFile)
{
    const auto amounts = [](const QByteArray &data) {
        std::vector<qint64> read;
        for (const StatementLine &line : readStatement(data, StatementFormat::Qif, {}).lines)
            read.push_back(line.amount.cents());
        return read;
    };
    EXPECT_EQ(amounts("!Type:Bank\nD1/13/2026\nT-1.500\n^\nD1/14/2026\nT2.000,00\n^\n"),
              (std::vector<qint64>{-150000, 200000}));
    EXPECT_EQ(amounts("!Type:Bank\nD1/13/2026\nT-1,500\n^\nD1/14/2026\nT12.50\n^\n"),
              (std::vector<qint64>{-150000, 1250}));
    EXPECT_EQ(refusalOf("!Type:Bank\nD1/13/2026\nT-1.500\n^\n", StatementFormat::Qif),
              "line 3: \"-1.500\" groups thousands or has three decimals, and no amount of the file shows which");
    EXPECT_EQ(refusalOf("!Type:Bank\nD1/13/2026\nT12.50\n^\nD1/14/2026\nT12.345\n^\n", StatementFormat::Qif),
              "line 6: \"12.345\" is not an amount with a decimal point, as the file's others are");
    EXPECT_EQ(refusalOf("!Type:Bank\nD1/13/2026\nT12.50\n^\nD1/14/2026\nT12,50\n^\n", StatementFormat::Qif),
              "line 6: \"12,50\" reads only with a decimal comma, unlike the amounts before it");
}
