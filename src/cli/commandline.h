#pragma once

#include "money.h"

#include <QCommandLineParser>
#include <QDate>
#include <QStringList>
#include <optional>

namespace bc::cli {

enum class OutputFormat { Table, Csv };

// The command line of one command: its options, help text and the checked
// values of the options every command shares. Anything wrong with the form
// of the command line is a usage error; a well-formed date that does not
// exist is a refusal.
class CommandLine {
public:
    // positionals names the arguments that follow the command, e.g. "BOOK".
    CommandLine(const QString &command, const QString &description, const QStringList &positionals);

    void addOption(const QString &name, const QString &valueName, const QString &description);
    void addFormatOption();
    void addFyStartOption();

    // Parses the arguments that follow the command. Returns false when help
    // was asked for and has been printed; throws a usage error otherwise.
    bool parse(const QStringList &arguments);

    QString positional(int index) const { return m_positionals.value(index); }
    // Whether the option was given; false, without a word, for an option
    // this command does not have (code shared between commands asks).
    bool isSet(const QString &name) const { return m_options.contains(name) && m_parser.isSet(name); }
    QStringList values(const QString &name) const { return m_parser.values(name); }

    QString requiredValue(const QString &name) const;
    QDate date(const QString &name) const; // required ISO date
    std::optional<QDate> optionalDate(const QString &name) const;
    std::optional<Money> amount(const QString &name) const;
    // The output format given by the option named (table|csv); table when unset.
    OutputFormat format(const QString &option = QStringLiteral("format")) const;

private:
    QString m_command;
    QStringList m_expected;
    QStringList m_positionals;
    QStringList m_options;
    QCommandLineParser m_parser;
};

// Reads an ISO date given for what (an option or a field name): text not of
// the form YYYY-MM-DD is a usage error, a date that does not exist a refusal.
QDate parseIsoOption(const QString &what, const QString &text);

} // namespace bc::cli
