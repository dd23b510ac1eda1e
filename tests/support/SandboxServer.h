#pragma once

#include <memory>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A tds-sandbox process for one test: started on a free loopback port with a data folder of
// the test's own, stopped (SIGTERM, then SIGKILL) when this object goes away. The server also
// ends when the test process dies, so no test leaves one running.
class SandboxServer
{
public:
    struct Settings
    {
        QString user = QStringLiteral("tester");
        QString password = QStringLiteral("sandbox-pw");
        QStringList databases{QStringLiteral("testdb")};
        QString dataDir;             // empty: a temporary folder removed afterwards
        QStringList faultSwitches;   // e.g. {"--close-after", "3"}
        QString charset;             // empty: the server's default, utf8
        int loginTimeoutSeconds = 0; // 0: the server's default
        int maxConnections = 0;      // 0: the server's default
        int silentAfter = -1;        // statements answered before it stops answering
        QString abortTranContaining; // statements that fail as deadlock victims
    };

    SandboxServer();
    explicit SandboxServer(Settings settings);
    ~SandboxServer();
    SandboxServer(const SandboxServer&) = delete;
    SandboxServer& operator=(const SandboxServer&) = delete;

    // False when the server did not start; errorText() says why.
    bool isRunning() const;
    QString errorText() const { return m_error; }
    int port() const { return m_port; }
    QString portText() const { return QString::number(m_port); }
    QString dataDir() const { return m_dataDir; }
    QString databaseFile(const QString& name) const;
    const Settings& settings() const { return m_settings; }

    // Stops the server; true when it ended by itself with exit status 0. The time only guards
    // against a server that never ends, so it is generous.
    bool stop(int timeoutMs = 60000);

    // Waits until the server prints the line text (e.g. "silent"); false when it never does.
    bool waitForLine(const QByteArray& text, int timeoutMs = 60000);

    static QString executable();

private:
    Settings m_settings;
    std::unique_ptr<QTemporaryDir> m_ownDir;
    QString m_dataDir;
    QProcess m_process;
    QString m_error;
    int m_port = 0;
};
