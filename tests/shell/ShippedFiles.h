#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The bytes of a file the program ships (under resources/), for tests that put it into a
// program folder of their own.
inline QByteArray ShippedFile(const QString& relativePath)
{
    QFile file(QStringLiteral(TESSALOOM_RESOURCES_DIR "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing shipped file %s", qPrintable(relativePath));
    return file.readAll();
}
