#pragma once

#include "ConsoleInteraction.h"
#include "ErrorsFile.h"
#include "ImportRun.h"
#include "RunnerCommandLine.h"

#include <optional>

// Runs the import the request asks for, as "Start Importing" does: the table list first, then
// every file. None when the run could not start (the table list unreadable, the --append
// target missing); the reasons are already shown and listed. A stopped run says so on stderr.
std::optional<ImportOutcome> RunImport(const RunnerRequest& request, ConsoleInteraction& console,
                                       ImportProgress& progress, ErrorsFile* rejected);
