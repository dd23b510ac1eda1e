#pragma once

#include <QString>
#include <QTemporaryDir>

// A private home for one test: its own settings file, temp folder and scratch space,
// so no test reads or writes the real user's files or a shared /tmp name.
class TestEnvironment
{
public:
    TestEnvironment();

    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    QString settingsFile() const { return path(QStringLiteral("config/Varnholt/Varnholt.conf")); }
    QString tempFolder() const { return path(QStringLiteral("temp")); }

    // Writes a file with the given bytes, creating parent folders; returns its path.
    QString writeFile(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};
