// Four processes (eight on a server book) save random edits of one book at
// once for a while (BRINDLECOT_CONCURRENCY_SECONDS, 10 by default; the soak label runs 60). Each keeps its own log of
// the saves that committed; afterwards every row must be as the save with
// its highest version left it, no version may have been given by two saves
// (that would be an update lost), and every process must have finished.
#include "connection.h"
#include "serverbooks.h"
#include "sql.h"
#include "testbook.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace bc;
using bc::test::TestBook;

namespace {

// A book file is shared by a few programs; a server book by an office.
int processes()
{
    return bc::test::testsOnServer() ? 8 : 4;
}

struct Logged {
    qint64 version = 0;
    qint64 value = 0;
    bool gone = false;
};

double seconds()
{
    bool ok = false;
    const double s = qEnvironmentVariable("BRINDLECOT_CONCURRENCY_SECONDS").toDouble(&ok);
    return ok && s > 0 ? s : 10;
}

} // namespace

TEST(ConcurrentSaves, EveryRowIsAsTheLastSaveThatTouchedItLeftIt)
{
    TestBook t;
    for (qint64 id = 7; id <= 16; ++id)
        t.addAccount(id, QStringLiteral("Account %1").arg(id), 4, Money::fromCents(100 * id));
    for (qint64 id = 1; id <= 40; ++id)
        t.addTransaction(id, QDate(2026, 1, 1).addDays(id), 4, 5, Money::fromCents(10 * id));
    t.book().close();

    std::vector<std::unique_ptr<QProcess>> children;
    for (int i = 0; i < processes(); ++i) {
        auto child = std::make_unique<QProcess>();
        child->start(QStringLiteral(BRINDLECOT_SAVERCHILD),
                     {t.path(), t.dir() + QStringLiteral("/saves%1.log").arg(i), QString::number(seconds()),
                      QString::number(1000 + i)});
        ASSERT_TRUE(child->waitForStarted());
        children.push_back(std::move(child));
    }
    int saved = 0, refused = 0;
    for (auto &child : children) {
        ASSERT_TRUE(child->waitForFinished(int(seconds() * 1000) + 60000)) << "a process did not finish";
        EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
        const QString out = QString::fromUtf8(child->readAllStandardOutput());
        saved += out.section(u' ', 1, 1).toInt();
        refused += out.section(u' ', 3, 3).toInt();
    }
    EXPECT_GT(saved, 0);
    std::printf("%d saves, %d refused\n", saved, refused);

    // The last save of each row by version, and no version given twice.
    QHash<QString, Logged> last;
    QSet<QString> given; // "account 12 v3"
    for (int i = 0; i < processes(); ++i) {
        QFile log(t.dir() + QStringLiteral("/saves%1.log").arg(i));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        while (!log.atEnd()) {
            const QStringList f = QString::fromUtf8(log.readLine()).trimmed().split(u' ');
            const bool gone = f[0] == QLatin1String("gone");
            const QStringList row = gone ? f.mid(1) : f;
            const QString key = row[0] + u' ' + row[1];
            Logged entry{row[2].toLongLong(), gone ? 0 : row[3].toLongLong(), gone};
            const QString version = key + QStringLiteral(" v") + QString::number(entry.version);
            EXPECT_FALSE(given.contains(version)) << "two saves gave " << version.toStdString();
            given.insert(version);
            Logged &kept = last[key];
            if (entry.version > kept.version)
                kept = entry;
        }
    }
    ASSERT_TRUE(t.book().open(t.path()).ok());
    for (auto it = last.cbegin(); it != last.cend(); ++it) {
        const bool account = it.key().startsWith(QLatin1String("account"));
        const qint64 id = it.key().section(u' ', 1).toLongLong();
        QSqlQuery q = runSql(t.db(),
                             account ? QStringLiteral("SELECT row_version, open_amount FROM account_master "
                                                      "WHERE account_id = ?")
                                     : QStringLiteral("SELECT row_version, amount FROM transaction_master "
                                                      "WHERE tran_id = ?"),
                             {id});
        if (it->gone) {
            EXPECT_FALSE(q.next()) << it.key().toStdString() << " was deleted last";
            continue;
        }
        ASSERT_TRUE(q.next()) << it.key().toStdString() << " is missing";
        EXPECT_EQ(q.value(0).toLongLong(), it->version) << it.key().toStdString();
        EXPECT_EQ(q.value(1).toLongLong(), it->value) << it.key().toStdString();
    }
}
