#pragma once

#include <QString>

namespace bc::test {

// True when the suite runs against the test PostgreSQL cluster
// (BRINDLECOT_TEST_ENGINE=postgresql, the cluster's address in the file
// BRINDLECOT_TEST_SERVER_FILE names): TestBook then makes its books there.
bool testsOnServer();

// The location of a new database of the test cluster, for a book: empty, or
// a copy of the database at copyOf (made by this function; nobody may be
// connected to it), which is much quicker than building the same book again.
QString newServerDatabase(const QString &copyOf = {});

// Drops a database newServerDatabase made, with any connection still on it.
void dropServerDatabase(const QString &location);

} // namespace bc::test

// Leaves out a test that looks at what only a book file has (its bytes, its
// journal, its lock), when the suite runs against the server.
#define SKIP_ON_SERVER()                                                                                               \
    do {                                                                                                               \
        if (::bc::test::testsOnServer())                                                                               \
            GTEST_SKIP() << "a book file's own behaviour";                                                             \
    } while (false)
