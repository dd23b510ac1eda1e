#pragma once

#include "ImportOptions.h"

#include <optional>
#include <QGroupBox>

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
    // Brings back the stored choices. Throws Failure when the store cannot be read.
    void restore();
    // The column types apply to new tables only.
    void setNewTableMode(bool on);

private:
    void remember(const QString& key, const QString& value);

    SettingsStore& m_store;
    QLabel* m_columnTypesLabel = nullptr;
    QComboBox* m_columnTypes = nullptr;
    QLabel* m_nullTextLabel = nullptr;
    QLineEdit* m_nullText = nullptr;
    bool m_restoring = false;
};
