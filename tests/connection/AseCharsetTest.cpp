// Character sets on the ASE road: the client sends UTF-8 whatever the locale, and a character
// the server's set cannot hold fails its own statement before anything is sent.
#include "ase/AseConnection.h"
#include "ase/ServerCharset.h"
#include "AseClientFixture.h"
#include "DatabaseSession.h"
#include "Failure.h"

#include <clocale>
#include <QtTest>

using namespace AseClientFixture;

namespace {
QString refusalOf(const QString& charset, const QString& statement)
{
    return ServerCharset(charset).refusal(statement).value_or(QString());
}

SandboxServer::Settings withCharset(const QString& name)
{
    SandboxServer::Settings settings;
    settings.faultSwitches = {QStringLiteral("--charset"), name};
    return settings;
}

// The values of one column read back through the client.
QStringList readBack(DatabaseSession& session, const QString& table, const QString& column)
{
    ResultSet rows;
    rows.open(QStringLiteral("SELECT * FROM [%1]").arg(table), session);
    QStringList values;
    for (; !rows.eof(); rows.moveNext())
        values << rows.value(column);
    rows.close();
    return values;
}

// Puts the process's character locale back when a test is done with it.
struct ScopedLocale
{
    QByteArray old;
    explicit ScopedLocale(const char* name) : old(std::setlocale(LC_ALL, nullptr))
    {
        std::setlocale(LC_ALL, name);
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, old.constData()); }
};
} // namespace

class AseCharsetTest : public QObject
{
    Q_OBJECT

private slots:
    void aSetRefusesOnlyWhatItCannotHold_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refused"); // empty: accepted
        const QString euro = QStringLiteral("€");
        QTest::newRow("iso_1 takes Latin-1") << "iso_1"
                                             << "Zürich, Ærø, ½"
                                             << "";
        QTest::newRow("iso_1 has no euro") << "iso_1"
                                           << "price 5 €" << euro;
        QTest::newRow("iso15 has the euro") << "iso15"
                                            << "price 5 €"
                                            << "";
        QTest::newRow("iso15 lost the currency sign") << "iso15"
                                                      << "¤"
                                                      << "¤";
        QTest::newRow("cp850 takes box drawing") << "cp850"
                                                 << "╔═╗ Zürich"
                                                 << "";
        QTest::newRow("cp850 has no euro") << "cp850"
                                           << "€" << euro;
        QTest::newRow("roman8 takes accents") << "roman8"
                                              << "Zürich"
                                              << "";
        QTest::newRow("roman8 has no Greek") << "roman8"
                                             << "αβ"
                                             << "α";
        QTest::newRow("first of several") << "iso_1"
                                          << "a ü Ω € b"
                                          << "Ω";
        QTest::newRow("four-byte character") << "iso_1"
                                             << "x 😀 y"
                                             << "😀";
        QTest::newRow("utf8 takes everything") << "utf8"
                                               << "€ 😀 Ω 日本"
                                               << "";
        QTest::newRow("upper-case name") << "ISO_1"
                                         << "€" << euro;
        QTest::newRow("unknown set checks nothing") << "no_such_set"
                                                    << "€"
                                                    << "";
        QTest::newRow("no set announced") << ""
                                          << "€"
                                          << "";
    }

    void aSetRefusesOnlyWhatItCannotHold()
    {
        QFETCH(QString, charset);
        QFETCH(QString, text);
        QFETCH(QString, refused);
        const QString statement = QStringLiteral("insert into t values ('%1')").arg(text);
        const QString description = refusalOf(charset, statement);
        if (refused.isEmpty()) {
            QVERIFY2(description.isEmpty(), qPrintable(description));
            return;
        }
        // The description names the character and the server's set as the server calls it.
        QVERIFY2(description.contains(QLatin1Char('"') + refused + QLatin1Char('"')),
                 qPrintable(description));
        QVERIFY2(description.contains(charset), qPrintable(description));
        const QString point =
            QStringLiteral("U+%1").arg(uint(refused.toUcs4().first()), 4, 16, QLatin1Char('0'));
        QVERIFY2(description.contains(point.toUpper()), qPrintable(description));
    }

    // A value's length as the server will hold it, where it matters: near ASE's 16 KB.
    void valuesAreMeasuredInTheServersSet()
    {
        const QString euros(6000, QChar(0x20AC));   // 18,000 bytes in UTF-8, 6,000 in cp1252
        const QString accents(9000, QChar(0x00E9)); // 18,000 in UTF-8, 9,000 in iso_1
        QVERIFY(ServerCharset(QStringLiteral("utf8")).encodedLength(euros.toUtf8(), 16384) > 16384);
        QCOMPARE(ServerCharset(QStringLiteral("cp1252")).encodedLength(euros.toUtf8(), 16384),
                 6000);
        QVERIFY(ServerCharset(QStringLiteral("utf8")).encodedLength(accents.toUtf8(), 16384) >
                16384);
        QCOMPARE(ServerCharset(QStringLiteral("iso_1")).encodedLength(accents.toUtf8(), 16384),
                 9000);
        // A character the set lacks is counted, not a reason to stop counting.
        QCOMPARE(
            ServerCharset(QStringLiteral("iso_1")).encodedLength((euros + accents).toUtf8(), 16384),
            15000);
        QCOMPARE(ServerCharset(QString()).encodedLength(QByteArray(20000, 'a'), 16384), 20000);
        // Counted whole, so that a report gives the length the value has.
        QCOMPARE(
            ServerCharset(QStringLiteral("iso_1")).encodedLength(QByteArray(100000, 'a'), 16384),
            100000);
    }

    void aCharacterFarIntoALongStatementIsFound()
    {
        // Longer than any one conversion buffer, with the bad character near the end.
        const QString statement =
            QStringLiteral("insert into t values ('%1€')").arg(QString(20000, QChar(0x00E9)));
        const QString description = refusalOf(QStringLiteral("iso_1"), statement);
        QVERIFY2(description.contains(QStringLiteral("\"€\"")), qPrintable(description));
        QVERIFY(refusalOf(QStringLiteral("iso_1"), QString(20000, QChar(0x00E9))).isEmpty());
        try {
            ServerCharset(QStringLiteral("iso_1")).check(statement);
            QFAIL("check() let a euro sign through to an iso_1 server");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(), description);
        }
    }

    void theClientSendsUtf8WhateverTheLocale()
    {
        // The window's road, in this process: under the C locale the library would take the
        // client's text for Latin-1 and store every accent doubled.
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const QString value = QStringLiteral("Zürich € 日本");
        {
            ScopedLocale c("C");
            DatabaseSession session;
            session.open(connectionSettings(server));
            session.execute(QStringLiteral("create table places (name varchar(40) null)"));
            session.execute(QStringLiteral("insert into places values ('%1')").arg(value));
            QCOMPARE(readBack(session, QStringLiteral("places"), QStringLiteral("name")),
                     QStringList{value});
            session.close();
        }
        // Once the server has ended, everything it wrote is in the file.
        QVERIFY(server.stop());
        QCOMPARE(storedHex(server, QStringLiteral("places"), QStringLiteral("name")),
                 QStringList{QString::fromLatin1(value.toUtf8().toHex().toUpper())});
    }

    void theRunnerStoresTheSameBytesUnderAnyLocale()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        TestEnvironment env;
        const QString file =
            env.writeFile(QStringLiteral("places.csv"),
                          QStringLiteral("City,Note\nZürich,Straße\nKøbenhavn,€ 5\n").toUtf8());
        const QStringList tables{QStringLiteral("PlacesC"), QStringLiteral("PlacesUtf8")};
        const QStringList locales{QStringLiteral("C"), QStringLiteral("C.UTF-8")};
        for (int i = 0; i < tables.size(); ++i) {
            QProcessEnvironment extra;
            extra.insert(QStringLiteral("LC_ALL"), locales.at(i));
            const RunResult run = runImport(env, server, tables.at(i), {file}, extra);
            QVERIFY2(run.exitCode == 0,
                     qPrintable(run.out + run.errorLines.join(QLatin1Char('\n'))));
        }
        // Once the server has ended, everything it wrote is in the file.
        QVERIFY(server.stop());
        QStringList stored;
        for (const QString& table : tables)
            stored << storedHex(server, table, QStringLiteral("City")) +
                          storedHex(server, table, QStringLiteral("Note"));
        const QStringList utf8 = {
            QString::fromLatin1(QStringLiteral("Zürich").toUtf8().toHex().toUpper()),
            QString::fromLatin1(QStringLiteral("København").toUtf8().toHex().toUpper()),
            QString::fromLatin1(QStringLiteral("Straße").toUtf8().toHex().toUpper()),
            QString::fromLatin1(QStringLiteral("€ 5").toUtf8().toHex().toUpper())};
        QCOMPARE(stored.mid(0, 4), utf8);
        QCOMPARE(stored.mid(4, 4), utf8);
    }

    void theServersSetIsReadFromTheLogin_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("default") << QString() << QByteArray();
        QTest::newRow("iso_1") << QStringLiteral("iso_1") << QByteArray("ISO-8859-1");
        QTest::newRow("roman8") << QStringLiteral("roman8") << QByteArray("ROMAN8");
    }

    void theServersSetIsReadFromTheLogin()
    {
        QFETCH(QString, charset);
        QFETCH(QByteArray, encoding);
        SandboxServer server(charset.isEmpty() ? SandboxServer::Settings{} : withCharset(charset));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        AseConnection connection;
        connection.connect(QStringLiteral("127.0.0.1"), server.portText(), server.settings().user,
                           server.settings().password, server.settings().databases.first());
        QCOMPARE(connection.serverCharset().name(),
                 charset.isEmpty() ? QStringLiteral("utf8") : charset);
        QCOMPARE(connection.serverCharset().encoding(), encoding);
        connection.close();
    }

    void theServersSetIsTheOneAnnouncedAtLogin()
    {
        SandboxServer server(withCharset(QStringLiteral("iso_1")));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral("create table t (a varchar(20) null)"));
        QString refused;
        try {
            session.execute(QStringLiteral("insert into t values ('5 €')"));
        } catch (const Failure& failure) {
            refused = failure.description();
        }
        QVERIFY2(refused.contains(QStringLiteral("\"€\"")) &&
                     refused.contains(QStringLiteral("iso_1")),
                 qPrintable(refused));
        // Nothing was sent: the session goes on, and Latin-1 text arrives whole both ways.
        QVERIFY(session.isAlive());
        session.execute(QStringLiteral("insert into t values ('Zürich ½')"));
        QCOMPARE(readBack(session, QStringLiteral("t"), QStringLiteral("a")),
                 QStringList{QStringLiteral("Zürich ½")});
        session.close();
    }

    void anIso1ImportStoresTheGoodRowsAndReportsTheEuroRow()
    {
        SandboxServer server(withCharset(QStringLiteral("iso_1")));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        TestEnvironment env;
        const QString file = env.writeFile(
            QStringLiteral("prices.csv"),
            QStringLiteral("Item,Price\nTee,5 CHF\nCafé,7 €\nKäse,12 CHF\n").toUtf8());
        QProcessEnvironment extra;
        extra.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        const RunResult run = runImport(env, server, QStringLiteral("Prices"), {file}, extra);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errorLines.size(), 1);
        QVERIFY2(run.errorLines.first().contains(QStringLiteral("\"€\"")) &&
                     run.errorLines.first().contains(QStringLiteral("iso_1")),
                 qPrintable(run.errorLines.first()));

        DatabaseSession session;
        session.open(connectionSettings(server));
        QCOMPARE(readBack(session, QStringLiteral("Prices"), QStringLiteral("Item")),
                 (QStringList{QStringLiteral("Tee"), QStringLiteral("Käse")}));
        session.close();
    }
};

QTEST_GUILESS_MAIN(AseCharsetTest)
#include "AseCharsetTest.moc"
