#include "SandboxServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <signal.h>
#include <sys/prctl.h>

namespace {
// Only a guard against a server that never prints its port: a loaded machine running
// sanitized builds can take seconds to start one.
constexpr int StartTimeoutMs = 60000;
} // namespace

SandboxServer::SandboxServer() : SandboxServer(Settings{}) {}

SandboxServer::SandboxServer(Settings settings) : m_settings(std::move(settings))
{
    m_dataDir = m_settings.dataDir;
    if (m_dataDir.isEmpty()) {
        m_ownDir = std::make_unique<QTemporaryDir>();
        m_dataDir = m_ownDir->filePath(QStringLiteral("data"));
    }
    QStringList arguments{QStringLiteral("--port"),     QStringLiteral("0"),
                          QStringLiteral("--data"),     m_dataDir,
                          QStringLiteral("--user"),     m_settings.user,
                          QStringLiteral("--password"), m_settings.password};
    for (const QString& name : m_settings.databases)
        arguments << QStringLiteral("--database") << name;
    if (!m_settings.charset.isEmpty())
        arguments << QStringLiteral("--charset") << m_settings.charset;
    if (m_settings.loginTimeoutSeconds > 0)
        arguments << QStringLiteral("--login-timeout")
                  << QString::number(m_settings.loginTimeoutSeconds);
    if (m_settings.maxConnections > 0)
        arguments << QStringLiteral("--max-connections")
                  << QString::number(m_settings.maxConnections);
    if (m_settings.silentAfter >= 0)
        arguments << QStringLiteral("--silent-after") << QString::number(m_settings.silentAfter);
    if (!m_settings.abortTranContaining.isEmpty())
        arguments << QStringLiteral("--abort-tran-containing") << m_settings.abortTranContaining;
    arguments << m_settings.faultSwitches;

    // Ends the server with the test process, however that ends.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(executable(), arguments);
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        m_error = m_process.errorString();
        return;
    }
    QElapsedTimer timer;
    timer.start();
    while (!m_process.canReadLine() && timer.elapsed() < StartTimeoutMs &&
           m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(200);
    if (!m_process.canReadLine()) {
        m_process.waitForFinished(1000);
        m_error = QString::fromLocal8Bit(m_process.readAllStandardError());
        if (m_error.isEmpty())
            m_error = QStringLiteral("tds-sandbox printed no port");
        return;
    }
    bool ok = false;
    m_port = m_process.readLine().trimmed().toInt(&ok);
    if (!ok || m_port <= 0) {
        m_port = 0;
        m_error = QStringLiteral("tds-sandbox printed no port");
    }
}

SandboxServer::~SandboxServer()
{
    stop();
}

bool SandboxServer::isRunning() const
{
    return m_port > 0 && m_process.state() == QProcess::Running;
}

QString SandboxServer::databaseFile(const QString& name) const
{
    return QDir(m_dataDir).filePath(name + QStringLiteral(".db"));
}

bool SandboxServer::waitForLine(const QByteArray& text, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        while (m_process.canReadLine())
            if (m_process.readLine().trimmed() == text)
                return true;
        if (m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(200);
    }
    return false;
}

bool SandboxServer::stop(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0 &&
               m_port > 0;
    m_process.terminate();
    if (m_process.waitForFinished(timeoutMs))
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.kill();
    m_process.waitForFinished(timeoutMs);
    return false;
}

QString SandboxServer::executable()
{
    return QStringLiteral(TDS_SANDBOX_PATH);
}
