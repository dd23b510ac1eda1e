#pragma once

#include "ImportOptions.h"

// Whether the import drops a file's first line: not when new tables take their column names
// from it, not when appending without a header row; in every other case it does.
bool SkipsFirstLine(const ImportOptionsSource& options);
