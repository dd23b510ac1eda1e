#include "RunnerErrorsFile.h"

#include "Failure.h"
#include "RunnerReports.h"

bool OpenErrorsFile(const std::optional<QString>& path, std::optional<ErrorsFile>& errorsFile)
{
    if (!path)
        return true;
    try {
        errorsFile.emplace(*path);
        return true;
    } catch (const Failure& failure) {
        PrintRunnerFailure(failure.description());
        return false;
    }
}

bool FinishErrorsFile(std::optional<ErrorsFile>& errorsFile)
{
    if (!errorsFile)
        return true;
    try {
        errorsFile->finish();
        return true;
    } catch (const Failure& failure) {
        PrintRunnerFailure(failure.description());
        return false;
    }
}
