#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace bc::bench {

// SplitMix64: a tiny generator whose sequence is fixed by its seed on every
// platform, unlike the standard distributions, so the data set is the same
// wherever it is generated.
class Random {
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {
    }
    std::uint64_t next();
    // A whole number from 0 to bound - 1 (bound > 0).
    std::uint64_t below(std::uint64_t bound) { return next() % bound; }

private:
    std::uint64_t m_state;
};

// What to generate. Accounts 1 to 6 are the built-in accounts every new book
// holds; the rest are generated with ids from 7 up to accountCount.
struct DatasetSpec {
    std::uint64_t seed = 20240601;
    int accountCount = 1000;
    qint64 transactionCount = 10000;
    QDate firstDay{2020, 1, 1};
    QDate lastDay{2024, 12, 31}; // five years
    qint64 busyAccount = 4; // CASH: one side of about one transaction in a hundred, all told
};

struct GeneratedAccount {
    qint64 id = 0;
    QString name;
    int type = 0;
    qint64 opening = 0; // cents
    bool builtIn = false;
};

struct GeneratedTransaction {
    qint64 id = 0;
    QDate date;
    qint64 from = 0;
    qint64 to = 0;
    qint64 amount = 0; // cents, above zero
    QString particulars;
};

// The chart of accounts of a data set: the six built-in accounts (opening
// amounts 0, as a new book holds them) followed by the generated ones.
std::vector<GeneratedAccount> generateAccounts(const DatasetSpec &spec);

// Hands every transaction of the data set to sink in date order, ids rising
// from 1. From and To always differ; amounts run from 0.01 to 9999.99 with
// every number of digits equally likely.
void generateTransactions(const DatasetSpec &spec, const std::function<void(const GeneratedTransaction &)> &sink);

} // namespace bc::bench
