#include "FirstLineSkipping.h"

bool SkipsFirstLine(const ImportOptionsSource& options)
{
    if (options.mode() == ImportMode::NewTable)
        return options.firstLineHandling() != FirstLineHandling::ColumnNames;
    return options.ignoreHeaderRow();
}
