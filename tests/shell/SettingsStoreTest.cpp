#include "Failure.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QtTest>

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void absentDiffersFromEmpty()
    {
        TestEnvironment env;
        SettingsStore store(env.settingsFile());
        QCOMPARE(store.GetSetting(SettingKeys::Port, QStringLiteral("5000")), QStringLiteral("5000"));
        QCOMPARE(store.GetSetting(SettingKeys::Server), QString());
        // Reading with a default never stores it.
        QVERIFY(!store.contains(SettingKeys::Port));
        QVERIFY(!QFile::exists(env.settingsFile()));

        store.SaveSetting(SettingKeys::Port, QString());
        QVERIFY(store.contains(SettingKeys::Port));
        QCOMPARE(store.GetSetting(SettingKeys::Port, QStringLiteral("5000")), QString());
        QVERIFY(!store.contains(SettingKeys::Server));
    }

    void valuesRoundTripUnchanged_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks") << QStringLiteral("  padded  ");
        QTest::newRow("semicolons") << QStringLiteral("a;b;;Catalog=c");
        QTest::newRow("equals and quotes") << QStringLiteral("k=\"v\"='w'");
        QTest::newRow("at sign") << QStringLiteral("@Invalid()");
        QTest::newRow("star") << QStringLiteral("*");
        QTest::newRow("backslashes") << QStringLiteral("C:\\data\\\\x");
        QTest::newRow("non-ascii") << QStringLiteral("Grüße – 東京");
        QTest::newRow("newline") << QStringLiteral("one\ntwo");
    }
    void valuesRoundTripUnchanged()
    {
        QFETCH(QString, value);
        TestEnvironment env;
        SettingsStore(env.settingsFile()).SaveSetting(SettingKeys::Password, value);
        QCOMPARE(SettingsStore(env.settingsFile()).GetSetting(SettingKeys::Password), value);
    }

    void everyCallSeesTheFileAsItIsNow()
    {
        TestEnvironment env;
        SettingsStore first(env.settingsFile());
        SettingsStore second(env.settingsFile());
        first.SaveSetting(SettingKeys::Server, QStringLiteral("alpha"));
        QCOMPARE(second.GetSetting(SettingKeys::Server), QStringLiteral("alpha"));
        second.SaveSetting(SettingKeys::Server, QStringLiteral("beta"));
        QCOMPARE(first.GetSetting(SettingKeys::Server), QStringLiteral("beta"));
        // Another key written by one store leaves the other's keys intact.
        first.SaveSetting(SettingKeys::User, QStringLiteral("sa"));
        QCOMPARE(second.GetSetting(SettingKeys::Server), QStringLiteral("beta"));
    }

    void fileIsPrivateAfterEveryWrite()
    {
        TestEnvironment env;
        SettingsStore store(env.settingsFile());
        store.SaveSetting(SettingKeys::Password, QStringLiteral("secret"));
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        QCOMPARE(QFile::permissions(env.settingsFile()) & 0x7077, ownerOnly);
        QFile::setPermissions(env.settingsFile(), ownerOnly | QFile::ReadOther | QFile::ReadGroup);
        store.SaveSetting(SettingKeys::Password, QStringLiteral("other"));
        QCOMPARE(QFile::permissions(env.settingsFile()) & 0x7077, ownerOnly);
    }

    void unwritableLocationIsAFailure()
    {
        TestEnvironment env;
        // A folder where the file should be cannot be replaced by a settings file.
        QDir().mkpath(env.path(QStringLiteral("blocked/Varnholt.conf")));
        SettingsStore store(env.path(QStringLiteral("blocked/Varnholt.conf")));
        QVERIFY_THROWS_EXCEPTION(Failure, store.SaveSetting(SettingKeys::Server, QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"
