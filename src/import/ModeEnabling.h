#pragma once

#include "ImportOptions.h"

#include <utility>
#include <vector>

// The controls whose enabled state follows the import mode.
enum class ModeControl
{
    Option3, // first line gives the column names
    Option4, // ignore first line, user-specified column names
    Label5,  // "Table Name:" of the new-table options
    Text2,   // new table name
    Frame2,  // "Table Options"
    Frame4,  // "Append to Existing Table Options"
    Label2,  // "Table Name:" of the append options
    List1,   // table list
    Check2,  // header row check box
};

// Something that can enable or disable the mode controls (the main window's widgets, or a
// recorder in tests).
class ModeSwitches
{
public:
    virtual ~ModeSwitches() = default;
    virtual void setEnabled(ModeControl control, bool enabled) = 0;
};

// The enabled states that choosing a mode sets, in the order its handler sets them.
std::vector<std::pair<ModeControl, bool>> ModeEnablingSteps(ImportMode chosen);

// Runs when a mode button is clicked: when that button is selected, sets the enabled states
// of ModeEnablingSteps; it never changes a value, a selection or a text.
void ApplyModeEnabling(ImportMode clicked, bool clickedIsSelected, ModeSwitches& switches);
