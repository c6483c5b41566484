#include "hostiletext.h"

namespace bc::test {

namespace {

QString thousandCharacters()
{
    QString text;
    while (text.size() < 1000)
        text += QStringLiteral("O'Brien \"x\"; -- 50%_\\ Łódź ");
    return text.left(1000);
}

} // namespace

const QStringList &hostileTexts()
{
    static const QStringList texts = {QStringLiteral("O'Brien"),
                                      QStringLiteral("say \"hi\""),
                                      QStringLiteral("a;b"),
                                      QStringLiteral("x -- y"),
                                      QStringLiteral("50%"),
                                      QStringLiteral("under_score"),
                                      QStringLiteral("back\\slash"),
                                      QStringLiteral("Łódź Straße Ωμέγα"),
                                      QStringLiteral("'); DROP TABLE account_master; --"),
                                      thousandCharacters(),
                                      QString()};
    return texts;
}

const QStringList &decoyNames()
{
    static const QStringList texts = {QStringLiteral("500 Club"), QStringLiteral("underXscore"),
                                      QStringLiteral("backslash"), QStringLiteral("O'Briens"),
                                      QStringLiteral("say hi")};
    return texts;
}

QString asciiLower(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return out;
}

} // namespace bc::test
