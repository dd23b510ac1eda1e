#include "ModeEnabling.h"

std::vector<std::pair<ModeControl, bool>> ModeEnablingSteps(ImportMode chosen)
{
    using C = ModeControl;
    if (chosen == ImportMode::NewTable)
        return {{C::ColumnsFromFirstLine, true}, {C::UserColumnNames, true},
                {C::TableOptionsFrame, true},    {C::AppendFrame, false},
                {C::SkipFirstLine, false},       {C::ExistingTableLabel, false},
                {C::ExistingTables, false},      {C::NewTableNameLabel, true},
                {C::NewTableName, true}};
    return {{C::AppendFrame, true},           {C::SkipFirstLine, true},
            {C::ColumnsFromFirstLine, false}, {C::UserColumnNames, false},
            {C::TableOptionsFrame, true},     {C::ExistingTableLabel, true},
            {C::ExistingTables, true},        {C::NewTableNameLabel, false},
            {C::NewTableName, false}};
}

void ApplyModeEnabling(ImportMode clicked, bool clickedIsSelected, ModeSwitches& switches)
{
    if (!clickedIsSelected)
        return;
    for (const auto& [control, enabled] : ModeEnablingSteps(clicked))
        switches.setEnabled(control, enabled);
}
