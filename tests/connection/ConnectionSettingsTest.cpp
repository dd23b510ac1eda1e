#include "ConnectionSettings.h"

#include "ConnectionFields.h"
#include "ConnectionProbe.h"
#include "Failure.h"
#include "TestEnvironment.h"

#include <QtTest>

namespace {
// HOME set to a test folder for as long as it lives: never the user's own home.
class HomeAt
{
public:
    explicit HomeAt(const QString& folder)
        : m_had(qEnvironmentVariableIsSet("HOME")), m_saved(qgetenv("HOME"))
    {
        qputenv("HOME", QFile::encodeName(folder));
    }
    ~HomeAt()
    {
        if (m_had)
            qputenv("HOME", m_saved);
        else
            qunsetenv("HOME");
    }

private:
    bool m_had;
    QByteArray m_saved;
};
} // namespace

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
        const ProbeOutcome failed = ProbeConnection(defaultSessionFactory(), bad);
        QVERIFY(!failed);
        // The file system's reason, naming the file.
        QVERIFY2(failed.reason.startsWith(QStringLiteral("The database file ") + bad.server.mid(5)),
                 qPrintable(failed.reason));
        const SessionFactory broken = []() -> std::unique_ptr<DatabaseSession> {
            throw Failure(QStringLiteral("ActiveX component can't create object"));
        };
        QVERIFY_THROWS_EXCEPTION(Failure, ProbeConnection(broken, good));
    }

    // "~/" at the start of a file path is the home folder, as a shell has it; nothing else is.
    void aTildeStartsTheEmbeddedPathAtHome_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("path"); // "HOME" stands for the home folder
        QTest::addColumn<bool>("embedded");
        QTest::newRow("home") << "file:~/x.db"
                              << "HOME/x.db" << true;
        QTest::newRow("home, deeper") << "file:~/data/x.db"
                                      << "HOME/data/x.db" << true;
        QTest::newRow("tilde alone") << "file:~"
                                     << "~" << true;
        QTest::newRow("another user") << "file:~user/x.db"
                                      << "~user/x.db" << true;
        QTest::newRow("tilde inside") << "file:/srv/~/x.db"
                                      << "/srv/~/x.db" << true;
        QTest::newRow("relative") << "file:x.db"
                                  << "x.db" << true;
        QTest::newRow("nothing after file:") << "file:"
                                             << "" << true;
        QTest::newRow("server name") << "~/x.db"
                                     << "" << false;
    }
    void aTildeStartsTheEmbeddedPathAtHome()
    {
        QFETCH(QString, server);
        QFETCH(QString, path);
        QFETCH(bool, embedded);
        TestEnvironment env;
        const QString home = env.path(QStringLiteral("home"));
        HomeAt testHome(home);
        const std::optional<QString> found = EmbeddedDatabasePath(server);
        QCOMPARE(found.has_value(), embedded);
        if (embedded)
            QCOMPARE(*found, path.replace(QStringLiteral("HOME"), home));
    }

    void aSessionOpensTheDatabaseUnderHome()
    {
        TestEnvironment env;
        const QString home = env.path(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        HomeAt testHome(home);
        const ProbeOutcome outcome =
            ProbeConnection(defaultSessionFactory(),
                            ConnectionSettings{QStringLiteral("file:~/made.db"), {}, {}, {}, {}});
        QVERIFY2(outcome.connected, qPrintable(outcome.reason));
        QVERIFY(QFile::exists(home + QStringLiteral("/made.db")));
    }
};

QTEST_GUILESS_MAIN(ConnectionSettingsTest)
#include "ConnectionSettingsTest.moc"
