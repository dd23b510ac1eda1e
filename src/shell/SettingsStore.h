#pragma once

#include <QString>

// The per-user store of named texts: application "Varnholt", section "Tessaloom".
// Each call goes to the file at that moment (no cache between calls), each write is flushed
// at once, and reading an absent key never creates it. The file holds the password in plain
// text, so it is kept readable and writable by its owner only.
class SettingsStore
{
public:
    // The store at the user's configuration location.
    SettingsStore();
    // A store in a file of the caller's choosing (tests, or a second profile).
    explicit SettingsStore(QString filePath);

    static QString defaultFilePath();

    // The stored text when the key is present (even when empty), otherwise the default.
    // Throws Failure when the file exists but cannot be read.
    QString GetSetting(const QString& key, const QString& defaultValue = QString()) const;
    // Creates or replaces the key. Throws Failure when the file cannot be written.
    void SaveSetting(const QString& key, const QString& value) const;
    bool contains(const QString& key) const;

    const QString& filePath() const { return m_filePath; }

private:
    QString m_filePath;
};

namespace SettingKeys {
inline const QString Server = QStringLiteral("Server");
inline const QString Port = QStringLiteral("Port");
inline const QString User = QStringLiteral("User");
inline const QString Password = QStringLiteral("Password");
inline const QString Database = QStringLiteral("Database");
inline const QString Extension = QStringLiteral("Extension");
inline const QString LastFolder = QStringLiteral("LastFolder");
// The main window's choices beyond the file list and the table.
inline const QString ColumnTypes = QStringLiteral("ColumnTypes");
inline const QString NullText = QStringLiteral("NullText");
inline const QString Quote = QStringLiteral("Quote");       // empty: fields are not quoted
inline const QString Encoding = QStringLiteral("Encoding"); // empty: automatic
} // namespace SettingKeys
