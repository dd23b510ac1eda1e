#pragma once

#include "ErrorsFile.h"

#include <optional>
#include <QString>

// Creates the errors file when a path is given; false, once the failure is printed, when it
// cannot be written. Called only once the command line has been checked, since it empties
// the file.
bool OpenErrorsFile(const std::optional<QString>& path, std::optional<ErrorsFile>& errorsFile);

// Writes out the rest of the list; false, once the failure is printed, when some of it could
// not be written. True without an errors file.
bool FinishErrorsFile(std::optional<ErrorsFile>& errorsFile);
