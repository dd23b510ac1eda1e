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
    QRadioButton* option1 = nullptr; // "Create New Table From Text File"
    QRadioButton* option2 = nullptr; // "Append to Existing Table From Text File"
    QRadioButton* option3 = nullptr;
    QRadioButton* option4 = nullptr;
    QLabel* label5 = nullptr;
    QLineEdit* text2 = nullptr;
    QGroupBox* frame2 = nullptr;
    QGroupBox* frame4 = nullptr;
    QLabel* label2 = nullptr;
    QListWidget* list1 = nullptr;
    QCheckBox* check2 = nullptr;
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

// Runs ApplyModeEnabling whenever option1 or option2 is clicked.
void ConnectModeEnabling(const ModeWidgets& widgets);

// The header-row flag as the import reads it: any state but unchecked (greyed too) is true.
bool HeaderRowIgnored(const QCheckBox& check2);
