#include "settingsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bc;

namespace {

struct SettingsFileTest : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/Brindlecot.ini");
    const QString defaultBook = QStringLiteral("/data/Brindlecot.fd");
    const PrinterSettings systemDefault{QStringLiteral("lp0"), QStringLiteral("Generic"), QStringLiteral("Office")};

    void write(const QByteArray &text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
};

} // namespace

TEST_F(SettingsFileTest, MissingOrBlankPathGivesTheDefaultBook)
{
    SettingsFile file(path);
    EXPECT_FALSE(file.exists());
    EXPECT_EQ(file.bookPath(defaultBook), defaultBook);
    EXPECT_EQ(file.printer(systemDefault), systemDefault);
    write("DBPath#\r\n");
    EXPECT_EQ(file.bookPath(defaultBook), defaultBook);
    write("DBPath#0\r\n");
    EXPECT_EQ(file.bookPath(defaultBook), defaultBook);
    write("DBPath#   \r\n");
    EXPECT_EQ(file.bookPath(defaultBook), defaultBook);
}

TEST_F(SettingsFileTest, KeysAnyCaseLastPathWinsHashCutsTheValue)
{
    SettingsFile file(path);
    write("dbpath#/a/first.fd\r\nno separator here\r\nDBPATH#/b/second.fd\r\nDBPath#\r\n");
    EXPECT_EQ(file.bookPath(defaultBook), QStringLiteral("/b/second.fd"));
    write("DBPath#/books/#1/main.fd\n");
    EXPECT_EQ(file.bookPath(defaultBook), QStringLiteral("/books/"));
    write("DBPath#  /spaced/book.fd  \r\n");
    EXPECT_EQ(file.bookPath(defaultBook), QStringLiteral("/spaced/book.fd"));
}

TEST_F(SettingsFileTest, PrinterLinesOverrideTheDefaultOnlyWithValues)
{
    SettingsFile file(path);
    write("PRNPORT#\r\nPRNDRIVER#HP LaserJet\r\nprndevice#Upstairs\r\nPRNPORT#0\r\n");
    const PrinterSettings p = file.printer(systemDefault);
    EXPECT_EQ(p.port, QStringLiteral("lp0"));
    EXPECT_EQ(p.driver, QStringLiteral("HP LaserJet"));
    EXPECT_EQ(p.device, QStringLiteral("Upstairs"));
}

TEST_F(SettingsFileTest, WriteReplacesWithFourCrLfLinesAndNeedsTheFile)
{
    SettingsFile file(path);
    EXPECT_FALSE(file.write(QStringLiteral("/x.fd"), systemDefault).isEmpty()); // file deleted: refused
    EXPECT_FALSE(file.exists());
    ASSERT_TRUE(file.createIfMissing());
    write("old contents that must go\n");
    EXPECT_EQ(file.write(QStringLiteral(" /books/home.fd "), systemDefault), QString());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(),
              QByteArray("DBPath#/books/home.fd\r\nPRNPORT#lp0\r\nPRNDRIVER#Generic\r\nPRNDEVICE#Office\r\n"));
    EXPECT_EQ(file.bookPath(defaultBook), QStringLiteral("/books/home.fd"));
}

TEST_F(SettingsFileTest, NonAsciiPathRoundTrips)
{
    SettingsFile file(path);
    ASSERT_TRUE(file.createIfMissing());
    const QString book = QStringLiteral("/home/zoë/Bücher/O'Brien; \"2024\".fd");
    EXPECT_EQ(file.write(book, {}), QString());
    EXPECT_EQ(file.bookPath(defaultBook), book);
}

TEST_F(SettingsFileTest, TheBackupsFolderOutlivesTheOtherSettingsAndTheyOutliveIt)
{
    SettingsFile file(path);
    const QString standard = QStringLiteral("/data/backups");
    EXPECT_EQ(file.writeBackupsFolder(QStringLiteral(" /mnt/usb/copies ")), QString()); // makes the file
    EXPECT_EQ(file.backupsFolder(standard), QStringLiteral("/mnt/usb/copies"));
    EXPECT_EQ(file.write(QStringLiteral("/books/home.fd"), systemDefault), QString());
    EXPECT_EQ(file.backupsFolder(standard), QStringLiteral("/mnt/usb/copies"));
    EXPECT_EQ(file.writeBackupsFolder(QStringLiteral("/srv/copies")), QString());
    EXPECT_FALSE(file.writeBackupsFolder(QStringLiteral("/srv/#2")).isEmpty()); // read back it would be "/srv/"
    EXPECT_EQ(file.backupsFolder(standard), QStringLiteral("/srv/copies"));
    EXPECT_EQ(file.bookPath(defaultBook), QStringLiteral("/books/home.fd"));
    EXPECT_EQ(file.printer({}), systemDefault);
    EXPECT_EQ(file.writeBackupsFolder(QString()), QString());
    EXPECT_EQ(file.backupsFolder(standard), standard);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(),
              QByteArray("DBPath#/books/home.fd\r\nPRNPORT#lp0\r\nPRNDRIVER#Generic\r\nPRNDEVICE#Office\r\n"));
}
