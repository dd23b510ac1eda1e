#pragma once

#include "TestEnvironment.h"

#include <functional>
#include <QByteArray>
#include <QProcess>
#include <QStringList>

// The headless runner started as a script would start it, in a test's own folders.
struct RunnerResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

QProcessEnvironment runnerEnvironment(const TestEnvironment& env);

// Runs tessaloom-import to its end with the given arguments, password and standard input.
RunnerResult runImport(const TestEnvironment& env, const QStringList& arguments,
                       const QByteArray& password = {}, const QByteArray& input = {});

// The file's lines, without the empty piece after the last line break.
QList<QByteArray> linesOf(const QString& path);
