#pragma once

#include "ConnectionSettings.h"
#include "SandboxServer.h"
#include "TestEnvironment.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What the ASE client tests share: the sandbox's connection string, the headless runner run
// as a script would run it, and environment variables set for one test only.
namespace AseClientFixture {
ConnectionSettings connectionSettings(const SandboxServer& server, const QString& name,
                                      const QString& port);
ConnectionSettings connectionSettings(const SandboxServer& server);

struct RunResult
{
    int exitCode = -1;
    QString out;
    QStringList errorLines;
};

// Runs tessaloom-import against the sandbox with its first database, new-table mode, the
// table pattern given, and extra environment variables (LC_ALL, ...).
RunResult runImport(const TestEnvironment& env, const SandboxServer& server, const QString& table,
                    const QStringList& files, const QProcessEnvironment& extra = {});

// The hexadecimal bytes of one column of a sandbox table, as stored, one row each.
QStringList storedHex(const SandboxServer& server, const QString& table, const QString& column);

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const QByteArray& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
};
} // namespace AseClientFixture
