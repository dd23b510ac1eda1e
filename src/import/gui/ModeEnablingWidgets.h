#pragma once

#include "ModeEnabling.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

// The widgets of the import options that the mode enabling acts on, and the two mode buttons.
struct ModeWidgets
{
    QRadioButton* newTableOption = nullptr; // "Create New Table From Text File"
    QRadioButton* appendOption = nullptr;   // "Append to Existing Table From Text File"
    QRadioButton* columnsFromFirstLine = nullptr;
    QRadioButton* userColumnNames = nullptr;
    QLabel* newTableNameLabel = nullptr;
    QLineEdit* newTableName = nullptr;
    QGroupBox* tableOptionsFrame = nullptr;
    QGroupBox* appendFrame = nullptr;
    QLabel* existingTableLabel = nullptr;
    QListWidget* existingTables = nullptr;
    QCheckBox* skipFirstLine = nullptr;
};

// Applies the enabled states to the widgets; a control left null is skipped.
class ModeEnablingWidgets : public ModeSwitches
{
public:
    explicit ModeEnablingWidgets(const ModeWidgets& widgets) : m_widgets(widgets) {}
    void setEnabled(ModeControl control, bool enabled) override;

private:
    ModeWidgets m_widgets;
};

// Runs ApplyModeEnabling whenever one of the two mode buttons is clicked.
void ConnectModeEnabling(const ModeWidgets& widgets);

// The header-row flag as the import reads it: any state but unchecked (greyed too) is true.
bool HeaderRowIgnored(const QCheckBox& skipFirstLine);
