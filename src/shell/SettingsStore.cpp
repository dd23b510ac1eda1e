#include "SettingsStore.h"

#include "Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString Section = QStringLiteral("Tessaloom");

QString sectionKey(const QString& key)
{
    return Section + QLatin1Char('/') + key;
}

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Creates the file empty with mode 0600 before the first write, so the password is never
// readable by others, not even for a moment.
void ensurePrivateFile(const QString& path)
{
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    if (!info.exists()) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0)
            ::close(fd);
    }
}
} // namespace

SettingsStore::SettingsStore() : m_filePath(defaultFilePath()) {}

SettingsStore::SettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

QString SettingsStore::defaultFilePath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Varnholt/Varnholt.conf");
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const
{
    if (!QFileInfo::exists(m_filePath))
        return defaultValue;
    QSettings settings(m_filePath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw Failure(QStringLiteral("The settings file %1 cannot be read.").arg(m_filePath));
    const QVariant value = settings.value(sectionKey(key));
    if (!value.isValid())
        return defaultValue;
    return value.toString();
}

bool SettingsStore::contains(const QString& key) const
{
    if (!QFileInfo::exists(m_filePath))
        return false;
    QSettings settings(m_filePath, QSettings::IniFormat);
    return settings.contains(sectionKey(key));
}

void SettingsStore::SaveSetting(const QString& key, const QString& value) const
{
    ensurePrivateFile(m_filePath);
    {
        QSettings settings(m_filePath, QSettings::IniFormat);
        settings.setValue(sectionKey(key), value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            throw Failure(QStringLiteral("The settings file %1 cannot be written.").arg(m_filePath));
    }
    // The atomic save replaces the file; keep the replacement private as well.
    QFile::setPermissions(m_filePath, OwnerOnly);
}
