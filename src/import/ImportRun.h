#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "ImportOptions.h"
#include "Interaction.h"
#include "PacedYield.h"
#include "RejectedRows.h"
#include "TableList.h"
#include "WindowPointer.h"

#include <functional>
#include <optional>
#include <QString>

// Where a run stands, for a progress display that looks at it when the run yields.
struct ImportProgress
{
    QString path;         // the file being loaded
    qint64 rows = 0;      // rows of it handed to the database so far
    int position = 0;     // its position in the file list, from 1
    qint64 bytes = 0;     // the size of its working copy
    qint64 bytesRead = 0; // how much of that copy the rows sent so far were read from
    qint64 loadedInEarlierFiles = 0;
    qint64 loadedInFile = 0; // rows of it loaded (committed) so far
};

// What an import run reads and writes; every value is read at the moment of use, so a change
// the user makes while a run yields applies to the rest of it.
struct ImportContext
{
    Interaction& interaction;
    const ImportOptionsSource& options;
    TableList& tables;
    std::function<int()> fileCount;
    std::function<QString(int index)> filePath; // 0-based
    ConnectionSource connection;
    SessionFactory createSession = defaultSessionFactory();
    WindowPointer* pointer = nullptr;
    QString workingCopyPath; // empty: TEMP, TMPDIR or the private folder, decided at each start
    // True once the program is ending: the run stops at its next yield.
    std::function<bool()> stopRequested;
    SessionOptions sessionOptions; // how each file's session sends rows
};

// What the headless runner adds to a run; the window leaves them as they are.
struct RunnerOptions
{
    // How files are read beyond the window's plain split: their encoding (empty: a
    // byte-order mark decides, else UTF-8 or Windows-1252 line by line) and a quote
    // character for fields that hold the separator or line breaks (null: none).
    QString encoding;
    QChar quote;
    RejectedRows* rejected = nullptr; // told of every row and file not loaded
    ImportProgress* progress = nullptr;
    // A field equal to this text is loaded as NULL, in both modes (none: no such text).
    std::optional<QString> nullText;
    // Told of every table the run made, with the statement that made it.
    std::function<void(const QString& statement)> tableMade;
    // The closing message names the tables typed from their data (the runner prints their
    // CREATE TABLE instead, with --verbose).
    bool closingNamesTypedTables = true;
    // Each row-not-loaded box offers to show no more of them during the run; once taken, rows
    // not loaded are only told to rejected.
    bool offerQuietRows = false;
};

// How a run ended, for callers that need more than the messages it showed.
enum class ImportEnding
{
    NotStarted,    // a second run was refused while one was going
    NoFiles,       // "No files added."
    StartRefused,  // a start check ended it before any file ("Please select a table.", ...)
    Done,          // every file was taken in hand ("Done.")
    TablesExisted, // as Done, but files were skipped for their existing tables
    Stopped,       // the program ended during the run
};

struct ImportOutcome
{
    ImportEnding ending = ImportEnding::NotStarted;
    QString closingMessage;   // the last plain message shown ("Done.", a start check, ...)
    int failuresReported = 0; // error reports shown
    int filesMismatched = 0;  // append mode: files skipped for their column count
    QString stopReport;       // when stopped: what of the file in hand was loaded
    // The new tables whose column types were chosen from the data, with their columns:
    // "T (id int NOT NULL, name varchar(3) NULL)".
    QStringList typedTables;
    bool rowBoxesDeclined = false; // the user asked for no more row-not-loaded boxes

    bool ran() const { return ending != ImportEnding::NotStarted; }
    bool stopped() const { return ending == ImportEnding::Stopped; }
};

// "Start Importing": loads every file of the file list, each into a new table of its own or
// all into one existing table. Failures are reported by the guard of the procedure with the
// number of the line that ran, and the run goes on. Only one run at a time: a second start
// while one is yielding does nothing.
class ImportRun
{
public:
    explicit ImportRun(ImportContext context, RunnerOptions runner = {});

    ImportOutcome start();
    bool isRunning() const { return m_running; }

    static constexpr int YieldIntervalMs = PacedYield::DefaultIntervalMs;

private:
    struct Run;
    ImportContext m_context;
    RunnerOptions m_runner;
    bool m_running = false;
};
