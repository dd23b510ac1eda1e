#include "ConnectionSettings.h"

#include "ConnectionFields.h"
#include "ConnectionProbe.h"
#include "Failure.h"
#include "TestEnvironment.h"

#include <QtTest>

class ConnectionSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void writeThroughSavesEveryChangeOnly()
    {
        TestEnvironment env;
        SettingsStore store(env.settingsFile());
        ConnectionFields fields(store);
        // An absent key into a box that is still empty changes nothing and saves nothing.
        QVERIFY(!fields.setText(ConnectionFields::Server,
                                fields.storedValue(ConnectionFields::Server)));
        QVERIFY(!store.contains(SettingKeys::Server));
        QVERIFY(fields.setText(ConnectionFields::Port, fields.storedValue(ConnectionFields::Port)));
        QCOMPARE(store.GetSetting(SettingKeys::Port), QStringLiteral("5000"));
        for (const QString& typed :
             {QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("abc")}) {
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
        ConnectionSettings good{QStringLiteral("file:") + env.path(QStringLiteral("p.db")),
                                QStringLiteral("5000"),
                                {},
                                {},
                                {}};
        ConnectionSettings bad{QStringLiteral("file:") + env.path(QStringLiteral("missing/p.db")),
                               QStringLiteral("5000"),
                               {},
                               {},
                               {}};
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
