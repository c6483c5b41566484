#include <QCoreApplication>
#include <gtest/gtest.h>

// Core tests run inside a QCoreApplication, as the program and the
// command-line tool do, so Qt's SQL drivers and locale behave the same.
// Window tests have their own main from Qt Test and never reach this one:
// the symbol is weak so their main wins.
__attribute__((weak)) int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
