#pragma once

#include <QString>

// What --help prints, and what follows a usage problem.
extern const char* const RunnerHelpText;

// Prints the problem (when there is one) and the help text on stderr; returns the exit status
// of bad usage, 2.
int ReportBadUsage(const QString& problem);

// A failure of the runner itself, not of a row or a file: one line on stderr.
void PrintRunnerFailure(const QString& text);
