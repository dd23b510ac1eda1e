#include "TextAccess1.h"

bool SkipsFirstLine(const ImportOptionsSource& options)
{
    if (options.mode() == ImportMode::NewTable)
        return options.firstLineHandling() != FirstLineHandling::ColumnNames;
    return options.ignoreHeaderRow();
}
