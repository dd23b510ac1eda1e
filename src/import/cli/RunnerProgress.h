#pragma once

#include "ConsoleInteraction.h"
#include "ErrorsFile.h"
#include "ImportRun.h"

// Ties the console's yields to the run: the errors file is written out when due, and the
// progress line is shown when stderr is a terminal and --quiet was not given.
void WireProgressDisplay(ConsoleInteraction& console, const ImportProgress& progress,
                         ErrorsFile* rejected, bool quiet);
