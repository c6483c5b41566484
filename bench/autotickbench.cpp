// Times the auto-tick of the Reconcile window: finding, among an account's
// unreconciled movements (200 by default), the subset whose sum is the
// difference to the statement's closing balance. The movements are of
// everyday size, money out mostly, a few payments in; the difference is the
// sum of a hidden subset of them. Prints the figures as one JSON object.

#include "autotick.h"
#include "timing.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <cstdio>

using namespace bc;
using namespace bc::bench;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("movements"), QStringLiteral("Movements searched."), QStringLiteral("N"),
                      QStringLiteral("200")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Timed runs."), QStringLiteral("N"), QStringLiteral("5")});
    parser.process(app);
    const int count = parser.value(QStringLiteral("movements")).toInt();
    const int runs = parser.value(QStringLiteral("runs")).toInt();

    QRandomGenerator random(1130);
    QList<qint64> amounts;
    qint64 target = 0;
    for (int i = 0; i < count; ++i) {
        const qint64 cents = i % 15 == 0 ? qint64(random.bounded(100000, 400000)) : -qint64(random.bounded(100, 25000));
        amounts << cents;
        if (random.bounded(10) == 0)
            target += cents;
    }
    SubsetFound found;
    const QJsonObject timing = measure(runs, [&] { found = findSubsetSum(amounts, target); });
    qint64 sum = 0;
    for (const int i : found.positions)
        sum += amounts.at(i);
    if (!found.found() || sum != target) {
        std::fprintf(stderr, "autotickbench: no subset of the %d movements was found for the difference\n", count);
        return 1;
    }
    const QJsonObject result{{QStringLiteral("movements"), count},
                             {QStringLiteral("subset_size"), int(found.positions.size())},
                             {QStringLiteral("several_solutions"), found.several},
                             {QStringLiteral("find_subset"), timing}};
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Indented).constData());
    return 0;
}
