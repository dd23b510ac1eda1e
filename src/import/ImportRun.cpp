#include "ImportRun.h"

#include "ApplicationTitle.h"
#include "FileImport.h"
#include "Guard.h"
#include "PacedYield.h"
#include "RunLines.h"
#include "RunMessages.h"
#include "WorkingCopy.h"
#include "WorkingCopyClaim.h"

using namespace RunMessages;

// One start of the run: its guard, its pacing, its session and what it has to say at the end.
struct ImportRun::Run
{
    Run(ImportContext context, const RunnerOptions& runner)
        : c(std::move(context)), o(withChoicesOf(c.options, runner)), claim(workingCopyFolder(c)),
          g(c.interaction, Locations::StartImporting),
          yield(c.interaction, YieldIntervalMs, c.stopRequested)
    {
        // Held until the run ends: another run at the same time takes a name of its own.
        c.workingCopyPath = claim.path();
    }

    static RunnerOptions withChoicesOf(const ImportOptionsSource& options,
                                       const RunnerOptions& runner)
    {
        RunnerOptions chosen = runner;
        if (std::optional<QString> nullText = options.nullText())
            chosen.nullText = std::move(nullText);
        if (std::optional<QString> encoding = options.encoding())
            chosen.encoding = *encoding;
        if (std::optional<QChar> quote = options.quote())
            chosen.quote = *quote;
        return chosen;
    }

    // Where the working copy goes is decided afresh for every run.
    static QString workingCopyFolder(const ImportContext& c)
    {
        return c.workingCopyPath.isEmpty() ? WorkingCopy::defaultPath() : c.workingCopyPath;
    }

    ImportOutcome start();
    bool startRefused();
    void say(int line, const QString& text);
    void refuse(int line, const QString& text);
    void importFiles(int count);
    void stoppedAfter(int begun, int count);
    bool stopAsked() const { return c.stopRequested && c.stopRequested(); }

    ImportContext c;
    const RunnerOptions o;
    WorkingCopyClaim claim;
    Guard g;
    PacedYield yield;
    ImportOutcome outcome;
    std::unique_ptr<DatabaseSession> session;
    QStringList skippedTables;
};

ImportRun::ImportRun(ImportContext context, RunnerOptions runner)
    : m_context(std::move(context)), m_runner(std::move(runner))
{
}

ImportOutcome ImportRun::start()
{
    if (m_running)
        return ImportOutcome{};
    m_running = true;
    struct Finish
    {
        bool& running;
        ~Finish() { running = false; }
    } finish{m_running};
    Run run(m_context, m_runner);
    ImportOutcome outcome = run.start();
    outcome.failuresReported = run.g.failures();
    return outcome;
}

ImportOutcome ImportRun::Run::start()
{
    g.line(RunLine::CreateSession, [&] { session = c.createSession(); });
    g.setLine(RunLine::SessionCreated);
    if (startRefused())
        return outcome;
    int count = 0;
    g.line(RunLine::CountFiles, [&] { count = c.fileCount(); });
    importFiles(count);
    if (outcome.ending == ImportEnding::Stopped)
        return outcome;
    if (stopAsked()) {
        // Asked to stop while the last file ended: it is not "Done.", but nothing was left.
        outcome.ending = ImportEnding::Stopped;
        outcome.stopReport = everyFileEndedBeforeStop();
        return outcome;
    }
    g.setLine(RunLine::FilesDone);
    const bool allCreated = skippedTables.isEmpty();
    outcome.ending = allCreated ? ImportEnding::Done : ImportEnding::TablesExisted;
    say(allCreated ? RunLine::SayDone : RunLine::SayTablesExist,
        withTypedTables(allCreated ? done() : tablesThatExist(skippedTables),
                        o.closingNamesTypedTables ? outcome.typedTables : QStringList()));
    return outcome;
}

// The checks before any file; true when one of them ended the run.
bool ImportRun::Run::startRefused()
{
    bool stop = false;
    g.line(RunLine::CheckFilesAdded, [&] { stop = c.fileCount() == 0; });
    if (stop) {
        outcome.ending = ImportEnding::NoFiles;
        say(RunLine::SayNoFiles, noFilesAdded());
        return true;
    }
    g.line(RunLine::CheckTableSelected, [&] {
        stop = c.options.mode() == ImportMode::AppendToExisting && c.tables.currentIndex() < 0;
    });
    if (stop) {
        refuse(RunLine::SaySelectTable, selectTable());
        return true;
    }
    g.line(RunLine::CheckTableName, [&] {
        stop = c.options.mode() == ImportMode::NewTable &&
               ListContains(c.tables, c.options.tableName());
    });
    if (stop)
        refuse(RunLine::SayTableNameExists, tableNameExists());
    return stop;
}

void ImportRun::Run::say(int line, const QString& text)
{
    g.line(line, [&] {
        outcome.closingMessage = text;
        c.interaction.messageBox(text, MessageStyle::Plain, ApplicationTitle());
    });
}

// A start check that ends the run leaves every file unloaded.
void ImportRun::Run::refuse(int line, const QString& text)
{
    outcome.ending = ImportEnding::StartRefused;
    say(line, text);
    if (o.rejected)
        g.run([&] {
            for (int i = 0; i < c.fileCount(); ++i)
                o.rejected->file(c.filePath(i), text);
        });
}

void ImportRun::Run::importFiles(int count)
{
    int begun = 0; // the last file whose steps began: it lists what of it was not loaded
    try {
        for (int position = 1; position <= count; ++position) {
            // A stop asked for while a file ended (its connection cut, say) is seen before the
            // next file opens a session of its own.
            if (stopAsked())
                throw ProgramEnding{};
            yield.now();
            begun = position;
            FileImport(c, o, g, yield, session.get(), position, outcome, claim).run(skippedTables);
            if (o.rejected)
                o.rejected->fileEnded();
            g.setLine(RunLine::NextFile);
        }
    } catch (const ProgramEnding&) {
        stoppedAfter(begun, count);
    }
}

void ImportRun::Run::stoppedAfter(int begun, int count)
{
    outcome.ending = ImportEnding::Stopped;
    if (o.rejected)
        for (int position = begun + 1; position <= count; ++position)
            o.rejected->file(c.filePath(position - 1), stoppedBeforeFile());
}
