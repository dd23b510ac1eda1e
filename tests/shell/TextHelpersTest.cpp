#include "ApplicationTitle.h"
#include "Failure.h"
#include "TextFilters.h"

#include <QtTest>

class TextHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    void filterCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("set");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("expected");
        QTest::newRow("keep in order") << "banana"
                                       << "an" << true << "anana";
        QTest::newRow("drop") << "banana"
                              << "an" << false << "b";
        QTest::newRow("case-sensitive") << "AaBb"
                                        << "ab" << true << "ab";
        QTest::newRow("empty set keep") << "abc"
                                        << "" << true << "";
        QTest::newRow("empty set drop") << "abc"
                                        << "" << false << "abc";
        QTest::newRow("empty text") << ""
                                    << "abc" << true << "";
    }
    void filterCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, set);
        QFETCH(bool, keep);
        QFETCH(QString, expected);
        QCOMPARE(FilterCharacters(text, set, keep), expected);
    }

    void filterLimit()
    {
        const QString atLimit(FilterCharactersLimit, QLatin1Char('a'));
        QCOMPARE(FilterCharacters(atLimit, QStringLiteral("a"), true).size(),
                 FilterCharactersLimit);
        const QString beyond = atLimit + QLatin1Char('a');
        try {
            FilterCharacters(beyond, QStringLiteral("a"), true);
            QFAIL("a text beyond the limit was accepted");
        } catch (const Failure& f) {
            QCOMPARE(f.description(), QStringLiteral("Overflow"));
            QCOMPARE(f.number(), 6);
        }
        QVERIFY_THROWS_EXCEPTION(Failure, KeepLettersAndDigits(beyond));
    }

    void keepLettersAndDigits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quarter") << "1st Qtr (2021)"
                                 << "1stQtr2021";
        QTest::newRow("punctuation only") << ",.;:-_()[]' \t"
                                          << "";
        QTest::newRow("accents dropped") << QString::fromUtf8("Straße Größe") << "StraeGre";
        QTest::newRow("all kept") << "Az09"
                                  << "Az09";
    }
    void keepLettersAndDigits()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(KeepLettersAndDigits(text), expected);
    }

    void titleFromProductName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        // 46 characters, the last word 8 long: the first 37 remain.
        QTest::newRow("46 characters") << "Tessaloom Delimited Text Files Loader Database"
                                       << "Tessaloom Delimited Text Files Loader";
        QTest::newRow("exactly 40")
            << QString(40, QLatin1Char('x')) << QString(40, QLatin1Char('x'));
        QTest::newRow("41 with blank")
            << QStringLiteral("abc ") + QString(37, QLatin1Char('x')) << "abc";
        QTest::newRow("two words removed")
            << QString(35, QLatin1Char('a')) + " bbbbbbb cc" << QString(35, QLatin1Char('a'));
        QTest::newRow("no blank") << QString(50, QLatin1Char('y')) << QString(40, QLatin1Char('y'));
        QTest::newRow("product") << ProductName << ProductName;
    }
    void titleFromProductName()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(TitleFromProductName(name), expected);
    }

    void applicationTitle()
    {
        QCOMPARE(ApplicationTitle(), QStringLiteral("Tessaloom"));
        SetApplicationTitle();
        QCOMPARE(ApplicationTitle(), QStringLiteral("Tessaloom"));
    }
};

QTEST_GUILESS_MAIN(TextHelpersTest)
#include "TextHelpersTest.moc"
