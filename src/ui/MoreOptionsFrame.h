#pragma once

#include "ImportOptions.h"

#include <optional>
#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class SettingsStore;

// The choices beyond the file list and the table: how a new table's columns are typed and
// which field text stands for NULL. Each choice is remembered in the settings store as the
// user makes it and brought back by restore().
class MoreOptionsFrame : public QGroupBox
{
public:
    MoreOptionsFrame(SettingsStore& store, QWidget* parent);

    ColumnTyping columnTyping() const;
    // The NULL text as typed; none when the box is empty.
    std::optional<QString> nullText() const;
    // The quote character when fields may be quoted, otherwise a null character.
    QChar quote() const;
    // The encoding's name; empty for "Automatic" (a byte-order mark, else UTF-8 or
    // Windows-1252 line by line).
    QString encoding() const;
    // Brings back the stored choices. Throws Failure when the store cannot be read.
    void restore();
    // The column types apply to new tables only.
    void setNewTableMode(bool on);

private:
    void buildTypingRow();
    void buildReadingRow();
    void rememberQuote();
    void remember(const QString& key, const QString& value);

    SettingsStore& m_store;
    QLabel* m_columnTypesLabel = nullptr;
    QComboBox* m_columnTypes = nullptr;
    QLabel* m_nullTextLabel = nullptr;
    QLineEdit* m_nullText = nullptr;
    QCheckBox* m_quoted = nullptr;
    QLineEdit* m_quote = nullptr;
    QLabel* m_encodingLabel = nullptr;
    QComboBox* m_encoding = nullptr;
    bool m_restoring = false;
};
