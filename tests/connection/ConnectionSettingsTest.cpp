#include "ConnectionFields.h"
#include "ConnectionProbe.h"
#include "ConnectionSettings.h"
#include "ConnectionString.h"
#include "Failure.h"
#include "TestEnvironment.h"

#include <QtTest>

class ConnectionSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void templateIsExact()
    {
        QCOMPARE(BuildConnectionString({}),
                 QStringLiteral("Provider=ASEOLEDB;Data Source=:;User Id=;Password=;;Catalog="));
        QCOMPARE(BuildConnectionString({QStringLiteral("db1 "), QStringLiteral("5000"), QStringLiteral("sa"),
                                        QStringLiteral("p;w"), QStringLiteral("sales")}),
                 QStringLiteral("Provider=ASEOLEDB;Data Source=db1 :5000;User Id=sa;Password=p;w;;Catalog=sales"));
    }

    void parsingRecoversOddValues_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::newRow("empty") << "" << "" << "" << "" << "";
        QTest::newRow("plain") << "host" << "5000" << "sa" << "pw" << "db";
        QTest::newRow("semicolons and equals") << "h;x=1" << "50" << "u=;v" << "a;;b=;c" << "d;e";
        QTest::newRow("password with catalog key") << "h" << "1" << "u" << "x;;Catalog=y" << "real";
        QTest::newRow("embedded path with colon") << "file:/data/a:b.db" << "5000" << "" << "" << "";
        QTest::newRow("blanks kept") << " h " << " 1 " << " u " << " p " << " d ";
    }
    void parsingRecoversOddValues()
    {
        QFETCH(QString, server);
        QFETCH(QString, port);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        const auto parts = ConnectionString::parse(BuildConnectionString({server, port, user, password, database}));
        QCOMPARE(parts.provider, QStringLiteral("ASEOLEDB"));
        QCOMPARE(parts.server, server);
        QCOMPARE(parts.port, port);
        QCOMPARE(parts.user, user);
        QCOMPARE(parts.password, password);
        QCOMPARE(parts.catalog, database);
    }

    void unreadableStringsFailClearly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("missing");
        QTest::newRow("empty") << "" << "Provider=";
        QTest::newRow("no source") << "Provider=ASEOLEDB;User Id=;Password=;;Catalog=" << ";Data Source=";
        QTest::newRow("single semicolon") << "Provider=ASEOLEDB;Data Source=h:1;User Id=u;Password=p;Catalog=d"
                                          << ";;Catalog=";
        QTest::newRow("keys out of order") << "Provider=X;Password=p;Data Source=h:1;User Id=u;;Catalog=d"
                                           << ";Password=";
    }
    void unreadableStringsFailClearly()
    {
        QFETCH(QString, text);
        QFETCH(QString, missing);
        try {
            ConnectionString::parse(text);
            QFAIL("parse accepted a string without its keys");
        } catch (const Failure& f) {
            QVERIFY2(f.description().contains(missing), qPrintable(f.description()));
        }
    }

    void unknownProviderIsRefused()
    {
        DatabaseSession session;
        try {
            session.open(QStringLiteral("Provider=SQLOLEDB;Data Source=h:1;User Id=;Password=;;Catalog="));
            QFAIL("opened with an unknown provider");
        } catch (const Failure& f) {
            QCOMPARE(f.description(), QStringLiteral("Provider cannot be found. It may not be properly installed."));
        }
        QVERIFY(!session.isOpen());
    }

    void writeThroughSavesEveryChangeOnly()
    {
        TestEnvironment env;
        SettingsStore store(env.settingsFile());
        ConnectionFields fields(store);
        // An absent key into a box that is still empty changes nothing and saves nothing.
        QVERIFY(!fields.setText(ConnectionFields::Server, fields.storedValue(ConnectionFields::Server)));
        QVERIFY(!store.contains(SettingKeys::Server));
        QVERIFY(fields.setText(ConnectionFields::Port, fields.storedValue(ConnectionFields::Port)));
        QCOMPARE(store.GetSetting(SettingKeys::Port), QStringLiteral("5000"));
        for (const QString& typed : {QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("abc")}) {
            QVERIFY(fields.setText(ConnectionFields::User, typed));
            QCOMPARE(store.GetSetting(SettingKeys::User), typed);
        }
        QVERIFY(fields.setText(ConnectionFields::Port, QString()));
        QVERIFY(store.contains(SettingKeys::Port));
        QCOMPARE(ConnectionFields(store).storedValue(ConnectionFields::Port), QString());
    }

    void probeAnswersWithoutMessages()
    {
        TestEnvironment env;
        ConnectionSettings good{QStringLiteral("file:") + env.path(QStringLiteral("p.db")), QStringLiteral("5000"),
                                {}, {}, {}};
        ConnectionSettings bad{QStringLiteral("file:") + env.path(QStringLiteral("missing/p.db")),
                               QStringLiteral("5000"), {}, {}, {}};
        QVERIFY(ProbeConnection(defaultSessionFactory(), good));
        QVERIFY(!ProbeConnection(defaultSessionFactory(), bad));
        const SessionFactory broken = []() -> std::unique_ptr<DatabaseSession> {
            throw Failure(QStringLiteral("ActiveX component can't create object"));
        };
        QVERIFY_THROWS_EXCEPTION(Failure, ProbeConnection(broken, good));
    }
};

QTEST_GUILESS_MAIN(ConnectionSettingsTest)
#include "ConnectionSettingsTest.moc"
