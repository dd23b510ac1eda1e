#include "RunnerProcess.h"

#include <QFile>

QProcessEnvironment runnerEnvironment(const TestEnvironment& env)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEMP"), env.tempFolder());
    environment.insert(QStringLiteral("HOME"), env.root());
    return environment;
}

RunnerResult runImport(const TestEnvironment& env, const QStringList& arguments,
                       const QByteArray& password, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment environment = runnerEnvironment(env);
    if (!password.isNull())
        environment.insert(QStringLiteral("TESSALOOM_PASSWORD"), QString::fromLatin1(password));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALOOM_IMPORT_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QList<QByteArray> linesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
