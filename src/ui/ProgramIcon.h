#pragma once

#include <QIcon>

// The program's icon: a stack of text lines flowing into a database drum, drawn in code so it
// is sharp at every size.
QIcon ProgramIcon();
