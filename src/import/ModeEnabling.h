#pragma once

#include "ImportOptions.h"

#include <utility>
#include <vector>

// The controls whose enabled state follows the import mode.
enum class ModeControl
{
    ColumnsFromFirstLine, // first line gives the column names
    UserColumnNames,      // ignore first line, user-specified column names
    NewTableNameLabel,    // "Table Name:" of the new-table options
    NewTableName,         // new table name
    TableOptionsFrame,    // "Table Options"
    AppendFrame,          // "Append to Existing Table Options"
    ExistingTableLabel,   // "Table Name:" of the append options
    ExistingTables,       // table list
    SkipFirstLine,        // header row check box
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
