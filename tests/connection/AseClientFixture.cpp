#include "AseClientFixture.h"

#include "ConnectionSettings.h"
#include "SqliteRows.h"

#include <QProcess>

namespace AseClientFixture {
ConnectionSettings connectionSettings(const SandboxServer& server, const QString& name,
                                      const QString& port)
{
    return {name, port, server.settings().user, server.settings().password,
            server.settings().databases.first()};
}

ConnectionSettings connectionSettings(const SandboxServer& server)
{
    return connectionSettings(server, QStringLiteral("127.0.0.1"), server.portText());
}

RunResult runImport(const TestEnvironment& env, const SandboxServer& server, const QString& table,
                    const QStringList& files, const QProcessEnvironment& extra)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEMP"), env.tempFolder());
    environment.insert(QStringLiteral("HOME"), env.root());
    environment.insert(QStringLiteral("TESSALOOM_PASSWORD"), server.settings().password);
    environment.insert(extra);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                  QStringList{QStringLiteral("--server"), QStringLiteral("127.0.0.1"),
                              QStringLiteral("--port"), server.portText(), QStringLiteral("--user"),
                              server.settings().user, QStringLiteral("--database"),
                              server.settings().databases.first(), QStringLiteral("--table"),
                              table} +
                      files);
    if (!process.waitForFinished(120000))
        process.kill();
    RunResult result{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), {}};
    result.errorLines = QString::fromUtf8(process.readAllStandardError())
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return result;
}

QStringList storedHex(const SandboxServer& server, const QString& table, const QString& column)
{
    return SqliteRows(
        server.databaseFile(server.settings().databases.first()),
        QStringLiteral("SELECT hex(\"%1\") FROM \"%2\" ORDER BY rowid").arg(column, table));
}

ScopedVariable::ScopedVariable(const char* name, const QByteArray& value)
    : m_name(name), m_old(qgetenv(name))
{
    qputenv(name, value);
}

ScopedVariable::~ScopedVariable()
{
    if (m_old.isNull())
        qunsetenv(m_name);
    else
        qputenv(m_name, m_old);
}
} // namespace AseClientFixture
