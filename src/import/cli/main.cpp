#include "ApplicationTitle.h"
#include "ConsoleInteraction.h"
#include "ErrorsFile.h"
#include "Guard.h"
#include "ImportRun.h"
#include "SameFile.h"
#include "ServerSockets.h"
#include "SybaseASE.h"
#include "TextDecoding.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <unistd.h>

namespace {
const char* const Help =
    R"(Loads delimited text files into database tables, as "Start Importing" does.

Connection (as in the connection window):
  --server TEXT      server host, or "file:" and a path for an embedded SQLite database
  --port TEXT        server port (default 5000); an empty port ("") hands the server
                     name to FreeTDS alone, so a freetds.conf entry of that name resolves
  --user TEXT        login name
  --database TEXT    database
  The password is read from the environment variable TESSALOOM_PASSWORD, never from the
  command line. TESSALOOM_COMMAND_TIMEOUT: seconds a statement may wait (default 60, 0 for
  no limit).

What to do:
  --table PATTERN    new-table mode: one table per file, "[counter]" replaced by the file's
                     position (default "NewTable[counter]"); the first line names the columns
  --column-names a,b,c
                     new-table mode, first line ignored: the names for the columns, in order,
                     the same for every file (too few names act as a cancel)
  --append TABLE     append every file to the existing table TABLE
  --skip-header      append mode: the first line of each file that is not blank is a header
                     and is dropped
  --separator TEXT   the field separator (default ","), not empty
  --batch N          Sybase ASE: rows sent per round trip, inside transactions (default 1000);
                     1 sends each row alone, without a transaction

How files are read:
  --encoding NAME    the files' encoding, any the system's converters know (windows-1251,
                     IBM850, Shift_JIS, ...). Without it, and whenever a file begins with a
                     byte-order mark, the mark decides (UTF-8, UTF-16LE, UTF-16BE); without
                     a mark each line is UTF-8, or Windows-1252 where it is not valid UTF-8.
  --quote CHAR       a field that begins with CHAR ends at the next lone CHAR: it may hold
                     the separator, line breaks (kept as they stand) and CHAR doubled for
                     one CHAR. Line numbers in reports still count the file's lines.
  -                  as a FILE: standard input (once). A line that cannot be read in the
                     file's encoding, or in which the file ends inside a character, is
                     not loaded and is reported naming its bytes; nothing is replaced.

Reporting:
  --errors FILE      every row not loaded as one line of FILE, tab-separated: the file's
                     path, the row's line number (1 = the first line; 0 for a whole file not
                     loaded before any of its rows was sent), the reason and the row's text;
                     in all but the number a tab, CR, LF and backslash are written \t, \r,
                     \n and \\. Each row is written as it is known, within a second. FILE
                     may be neither one of the files nor the database; it is emptied only
                     once the command line has been checked.
  --quiet            no progress line (it is shown only when stderr is a terminal).

Every message the window would show is printed as one line: its title, a colon, then its
text with line breaks shown as "\n"; error reports go to stderr, the rest to stdout. A row
that was not loaded is reported with its file and line number.
Interrupted (SIGINT, SIGTERM, SIGHUP), the run stops after the row in hand and says from which line
on the file was not sent. Interrupted again, it stops at once: a wait on an ASE server that
does not answer is cut, and what the server had not committed is reported as not loaded. A
third interrupt ends the program where it stands. A closed pipe on stdout or stderr does not
end the run.
Exit status: 0 when the run ended with "Done.", no failure was reported and no file was
skipped for its column count; 1 otherwise (a file skipped because its table already exists
included); 2 for bad usage.

Usage: tessaloom-import [options] FILE...
       tessaloom-import --version
)";

volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t progressShown = 0; // the hint then first clears the progress line

void onStopSignal(int signal)
{
    const int savedErrno = errno; // the code interrupted may be about to read it
    if (stopSignal) {
        // Asked again: a wait on an ASE server that does not answer is not sat out, and a
        // third signal ends the program as it would without this handler.
        ServerSockets::cutAll();
        std::signal(signal, SIG_DFL);
        errno = savedErrno;
        return;
    }
    stopSignal = 1;
    static const char clearLine[] = "\r\033[K";
    static const char hint[] = "tessaloom-import: stopping after the row in hand; interrupt "
                               "again to stop at once.\n";
    if (progressShown)
        (void)!::write(STDERR_FILENO, clearLine, sizeof clearLine - 1);
    (void)!::write(STDERR_FILENO, hint, sizeof hint - 1);
    errno = savedErrno;
}

int usage(const QString& problem)
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "tessaloom-import: %s\n\n", problem.toLocal8Bit().constData());
    std::fputs(Help, stderr);
    return 2;
}

void printFailure(const QString& text)
{
    std::fprintf(stderr, "tessaloom-import: %s\n", text.toLocal8Bit().constData());
}

struct Options
{
    QCommandLineOption server{QStringLiteral("server"), {}, QStringLiteral("text")};
    QCommandLineOption port{
        QStringLiteral("port"), {}, QStringLiteral("text"), QStringLiteral("5000")};
    QCommandLineOption user{QStringLiteral("user"), {}, QStringLiteral("text")};
    QCommandLineOption database{QStringLiteral("database"), {}, QStringLiteral("text")};
    QCommandLineOption table{QStringLiteral("table"), {}, QStringLiteral("pattern")};
    QCommandLineOption columnNames{QStringLiteral("column-names"), {}, QStringLiteral("names")};
    QCommandLineOption append{QStringLiteral("append"), {}, QStringLiteral("table")};
    QCommandLineOption skipHeader{QStringLiteral("skip-header")};
    QCommandLineOption separator{
        QStringLiteral("separator"), {}, QStringLiteral("text"), QStringLiteral(",")};
    QCommandLineOption encoding{QStringLiteral("encoding"), {}, QStringLiteral("name")};
    QCommandLineOption quote{QStringLiteral("quote"), {}, QStringLiteral("char")};
    QCommandLineOption errors{QStringLiteral("errors"), {}, QStringLiteral("file")};
    QCommandLineOption quiet{QStringLiteral("quiet")};
    QCommandLineOption batch{QStringLiteral("batch"), {}, QStringLiteral("n")};
    QCommandLineOption help{QStringList{QStringLiteral("help"), QStringLiteral("h")}};
    QCommandLineOption version{QStringLiteral("version")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({server, port, user, database, table, columnNames, append, skipHeader,
                           separator, encoding, quote, errors, quiet, batch, help, version});
    }
};

// What the command line asks for, once it is known to make sense.
struct Request
{
    QStringList files;
    int rowsPerBatch = 0;
    QChar quote;
};

// The problem with the command line, or an empty text when there is none.
QString usageProblem(const QCommandLineParser& parser, const Options& o, Request& request)
{
    if (parser.isSet(o.append) && (parser.isSet(o.table) || parser.isSet(o.columnNames)))
        return QStringLiteral("--append cannot be combined with --table or --column-names");
    if (!parser.isSet(o.append) && parser.isSet(o.skipHeader))
        return QStringLiteral("--skip-header belongs to --append");
    if (parser.value(o.separator).isEmpty())
        return QStringLiteral("--separator cannot be empty: every line would be one field");
    if (parser.isSet(o.batch)) {
        bool ok = false;
        request.rowsPerBatch = parser.value(o.batch).toInt(&ok);
        if (!ok || request.rowsPerBatch < 1)
            return QStringLiteral("--batch wants a number of rows, 1 or more");
    }
    request.files = parser.positionalArguments();
    if (request.files.isEmpty())
        return QStringLiteral("no files given");
    if (request.files.count(QStringLiteral("-")) > 1)
        return QStringLiteral("- (standard input) can be given once");
    if (parser.isSet(o.encoding) && !TextDecoding::isKnown(parser.value(o.encoding)))
        return QStringLiteral("unknown encoding: %1").arg(parser.value(o.encoding));
    if (parser.isSet(o.quote)) {
        const QString q = parser.value(o.quote);
        if (q.size() != 1 || q.at(0).isSurrogate())
            return QStringLiteral("--quote wants one character");
        if (parser.value(o.separator).contains(q))
            return QStringLiteral("the --quote character cannot be part of the separator");
        request.quote = q.at(0);
    }
    if (parser.isSet(o.errors)) {
        const QString server = parser.value(o.server);
        const QString database =
            server.startsWith(QStringLiteral("file:")) ? server.mid(5) : QString();
        return ErrorsFileConflict(parser.value(o.errors), request.files, database);
    }
    return {};
}

ImportOptions importOptions(const QCommandLineParser& parser, const Options& o,
                            QStringList& answers)
{
    ImportOptions values;
    values.separator = parser.value(o.separator);
    if (parser.isSet(o.table))
        values.tableName = parser.value(o.table);
    if (parser.isSet(o.columnNames)) {
        values.firstLineHandling = FirstLineHandling::IgnoreWithUserNames;
        answers = parser.value(o.columnNames).split(QLatin1Char(','));
    }
    if (parser.isSet(o.append)) {
        values.mode = ImportMode::AppendToExisting;
        values.ignoreHeaderRow = parser.isSet(o.skipHeader);
    }
    return values;
}

// Lists every file as not loaded, for the reason given.
void listEveryFile(ErrorsFile* errorsFile, const QStringList& files, const QString& reason)
{
    if (!errorsFile)
        return;
    for (const QString& file : files)
        errorsFile->file(file, reason);
}

// The table list is filled first, as the main window's load does. False when it cannot be.
bool fillTables(MemoryTableList& tables, const SessionFactory& createSession,
                const ConnectionSettings& settings, ConsoleInteraction& console,
                ErrorsFile* errorsFile, const QStringList& files)
{
    Guard load(console, Locations::MainLoad);
    QString cause; // why, in the database's own words (a failed login, say)
    load.line(118, [&] {
        try {
            FillTableList(tables, createSession, settings, console);
        } catch (const Failure& failure) {
            cause = failure.description();
            throw;
        }
    });
    if (load.failures() == 0)
        return true;
    // Nothing was loaded: each file is listed once, with the reason.
    listEveryFile(errorsFile, files,
                  (cause.isEmpty() ? QString() : cause + QStringLiteral("\r\n")) +
                      QStringLiteral("The table list could not be read from the database; "
                                     "nothing was loaded."));
    return false;
}

// The target of --append, selected in the list; false when the database has no such table.
bool selectTarget(MemoryTableList& tables, const QString& target, ConsoleInteraction& console,
                  ErrorsFile* errorsFile, const QStringList& files)
{
    tables.setCurrentIndex(int(tables.items().indexOf(target)));
    if (tables.currentIndex() >= 0)
        return true;
    const QString text = QStringLiteral("The table %1 was not found in the database; nothing "
                                        "was loaded.")
                             .arg(target);
    console.messageBox(text, MessageStyle::Plain, ApplicationTitle());
    listEveryFile(errorsFile, files, text);
    return false;
}

bool finishErrorsFile(std::optional<ErrorsFile>& errorsFile)
{
    if (!errorsFile)
        return true;
    try {
        errorsFile->finish();
        return true;
    } catch (const Failure& failure) {
        printFailure(failure.description());
        return false;
    }
}

void catchSignals()
{
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    // A closed terminal asks the run to end as a SIGTERM does.
    std::signal(SIGHUP, onStopSignal);
    // A reader that went away (a pipe into head) costs its messages only: the run and the
    // errors file go on.
    std::signal(SIGPIPE, SIG_IGN);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALOOM_VERSION));
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const Options o;
    o.addTo(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText());
    if (parser.isSet(o.help)) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (parser.isSet(o.version)) {
        std::puts("tessaloom-import " TESSALOOM_VERSION);
        return 0;
    }
    Request request;
    if (const QString problem = usageProblem(parser, o, request); !problem.isEmpty())
        return usage(problem);
    const QStringList& files = request.files;
    // Made only now, when nothing above refused the run.
    std::optional<ErrorsFile> errorsFile;
    if (parser.isSet(o.errors)) {
        try {
            errorsFile.emplace(parser.value(o.errors));
        } catch (const Failure& failure) {
            printFailure(failure.description());
            return 1;
        }
    }
    ErrorsFile* const rejected = errorsFile ? &*errorsFile : nullptr;

    const ConnectionSettings settings{
        parser.value(o.server), parser.value(o.port), parser.value(o.user),
        QString::fromLocal8Bit(qgetenv("TESSALOOM_PASSWORD")), parser.value(o.database)};
    QStringList answers;
    const ImportOptions values = importOptions(parser, o, answers);
    ConsoleInteraction console(answers);
    console.setOnYield([rejected] {
        if (rejected)
            rejected->flushIfDue();
    });
    ImportProgress progress;
    if (!parser.isSet(o.quiet) && ::isatty(STDERR_FILENO)) {
        console.showProgress(&progress);
        progressShown = 1;
    }
    catchSignals();
    MemoryTableList tables;
    const int rowsPerBatch = request.rowsPerBatch;
    const SessionFactory createSession = [rowsPerBatch] {
        auto session = std::make_unique<DatabaseSession>();
        session->setRowsPerBatch(rowsPerBatch);
        return session;
    };
    if (!fillTables(tables, createSession, settings, console, rejected, files) ||
        (parser.isSet(o.append) &&
         !selectTarget(tables, parser.value(o.append), console, rejected, files))) {
        finishErrorsFile(errorsFile);
        return 1;
    }

    FixedImportOptions options(values, &tables);
    ImportRun run(ImportContext{console, options, tables, [&] { return int(files.size()); },
                                [&](int i) { return files.value(i); }, [&] { return settings; },
                                createSession, nullptr, QString(), [] { return stopSignal != 0; }},
                  RunnerOptions{parser.value(o.encoding), request.quote, rejected, &progress});
    const ImportOutcome outcome = run.start();
    console.endProgress();
    if (outcome.stopped())
        printFailure(QStringLiteral("stopped.") + (outcome.stopReport.isEmpty()
                                                       ? QString()
                                                       : QLatin1Char(' ') + outcome.stopReport));
    const bool written = finishErrorsFile(errorsFile);
    const bool clean = outcome.ending == ImportEnding::Done && outcome.failuresReported == 0 &&
                       outcome.filesMismatched == 0 && written;
    return clean ? 0 : 1;
}
