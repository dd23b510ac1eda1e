#include "ConsoleInteraction.h"
#include "RunnerCommandLine.h"
#include "RunnerErrorsFile.h"
#include "RunnerImport.h"
#include "RunnerProgress.h"
#include "RunnerReports.h"
#include "StopSignals.h"

#include <cstdio>
#include <QCoreApplication>

namespace {
// --help, --version, or a command line that makes no sense.
int answerWithoutRunning(const ParsedCommandLine& parsed)
{
    switch (parsed.action) {
    case CommandLineAction::ShowHelp:
        std::fputs(RunnerHelpText, stdout);
        return 0;
    case CommandLineAction::ShowVersion:
        std::puts("tessaloom-import " TESSALOOM_VERSION);
        return 0;
    default:
        return ReportBadUsage(parsed.problem);
    }
}

// 0 only for a run that ended with "Done.", reported no failure, skipped no file for its
// column count and wrote out its whole errors file.
int exitStatus(const std::optional<ImportOutcome>& outcome, bool errorsFileWritten)
{
    const bool clean = outcome && outcome->ending == ImportEnding::Done &&
                       outcome->failuresReported == 0 && outcome->filesMismatched == 0 &&
                       errorsFileWritten;
    return clean ? 0 : 1;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALOOM_VERSION));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (parsed.action != CommandLineAction::Run)
        return answerWithoutRunning(parsed);
    const RunnerRequest& request = parsed.request;
    std::optional<ErrorsFile> errorsFile;
    if (!OpenErrorsFile(request.errorsPath, errorsFile))
        return 1;
    ErrorsFile* const rejected = errorsFile ? &*errorsFile : nullptr;
    ConsoleInteraction console(request.promptAnswers);
    ImportProgress progress;
    WireProgressDisplay(console, progress, rejected, request.quiet);
    CatchStopSignals();
    const std::optional<ImportOutcome> outcome = RunImport(request, console, progress, rejected);
    return exitStatus(outcome, FinishErrorsFile(errorsFile));
}
