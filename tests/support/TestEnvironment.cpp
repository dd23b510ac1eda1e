#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

TestEnvironment::TestEnvironment()
{
    QVERIFY2(m_dir.isValid(), "cannot create a scratch folder");
    QDir(m_dir.path()).mkpath(QStringLiteral("temp"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
}

QString TestEnvironment::writeFile(const QString& relative, const QByteArray& bytes) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(full));
    file.write(bytes);
    return full;
}
