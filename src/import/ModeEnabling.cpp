#include "ModeEnabling.h"

std::vector<std::pair<ModeControl, bool>> ModeEnablingSteps(ImportMode chosen)
{
    using C = ModeControl;
    if (chosen == ImportMode::NewTable)
        return {{C::Option3, true}, {C::Option4, true}, {C::Frame2, true},
                {C::Frame4, false}, {C::Check2, false}, {C::Label2, false},
                {C::List1, false},  {C::Label5, true},  {C::Text2, true}};
    return {{C::Frame4, true},   {C::Check2, true},  {C::Option3, false},
            {C::Option4, false}, {C::Frame2, true},  {C::Label2, true},
            {C::List1, true},    {C::Label5, false}, {C::Text2, false}};
}

void ApplyModeEnabling(ImportMode clicked, bool clickedIsSelected, ModeSwitches& switches)
{
    if (!clickedIsSelected)
        return;
    for (const auto& [control, enabled] : ModeEnablingSteps(clicked))
        switches.setEnabled(control, enabled);
}
