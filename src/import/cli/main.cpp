#include "ApplicationTitle.h"
#include "ConsoleInteraction.h"
#include "ErrorsFile.h"
#include "Guard.h"
#include "ImportRun.h"
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
                     new-table mode, first line ignored: the names for the columns, in order
                     (too few names act as a cancel)
  --append TABLE     append every file to the existing table TABLE
  --skip-header      append mode: the first line of each file is a header and is dropped
  --separator TEXT   the field separator (default ",")
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
  -                  as a FILE: standard input (once).

Reporting:
  --errors FILE      every row not loaded as one line of FILE, tab-separated: the file's
                     path, the row's line number (1 = the first line; 0 for a whole file not
                     loaded before any of its rows was sent), the reason and the row's text;
                     in the last two a tab, CR, LF and backslash are written \t, \r, \n
                     and \\.
  --quiet            no progress line (it is shown only when stderr is a terminal).

Every message the window would show is printed as one line: its title, a colon, then its
text with line breaks shown as "\n"; error reports go to stderr, the rest to stdout. A row
that was not loaded is reported with its file and line number.
Interrupted (SIGINT, SIGTERM), the run stops after the row in hand and says from which line
on the file was not sent. Interrupted again, it stops at once: a wait on an ASE server that
does not answer is cut, and what the server had not committed is reported as not loaded. A
third interrupt ends the program where it stands.
Exit status: 0 when the run ended with "Done.", no failure was reported and no file was
skipped for its column count; 1 otherwise; 2 for bad usage.

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
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALOOM_VERSION));
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption server(QStringLiteral("server"), {}, QStringLiteral("text"));
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("text"),
                                  QStringLiteral("5000"));
    const QCommandLineOption user(QStringLiteral("user"), {}, QStringLiteral("text"));
    const QCommandLineOption database(QStringLiteral("database"), {}, QStringLiteral("text"));
    const QCommandLineOption table(QStringLiteral("table"), {}, QStringLiteral("pattern"));
    const QCommandLineOption columnNames(QStringLiteral("column-names"), {},
                                         QStringLiteral("names"));
    const QCommandLineOption append(QStringLiteral("append"), {}, QStringLiteral("table"));
    const QCommandLineOption skipHeader(QStringLiteral("skip-header"));
    const QCommandLineOption separator(QStringLiteral("separator"), {}, QStringLiteral("text"),
                                       QStringLiteral(","));
    const QCommandLineOption encoding(QStringLiteral("encoding"), {}, QStringLiteral("name"));
    const QCommandLineOption quote(QStringLiteral("quote"), {}, QStringLiteral("char"));
    const QCommandLineOption errors(QStringLiteral("errors"), {}, QStringLiteral("file"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption batch(QStringLiteral("batch"), {}, QStringLiteral("n"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({server, port, user, database, table, columnNames, append, skipHeader,
                       separator, encoding, quote, errors, quiet, batch, help});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(version);
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::puts("tessaloom-import " TESSALOOM_VERSION);
        return 0;
    }
    if (parser.isSet(append) && (parser.isSet(table) || parser.isSet(columnNames)))
        return usage(QStringLiteral("--append cannot be combined with --table or --column-names"));
    if (!parser.isSet(append) && parser.isSet(skipHeader))
        return usage(QStringLiteral("--skip-header belongs to --append"));
    int rowsPerBatch = 0;
    if (parser.isSet(batch)) {
        bool ok = false;
        rowsPerBatch = parser.value(batch).toInt(&ok);
        if (!ok || rowsPerBatch < 1)
            return usage(QStringLiteral("--batch wants a number of rows, 1 or more"));
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usage(QStringLiteral("no files given"));
    if (files.count(QStringLiteral("-")) > 1)
        return usage(QStringLiteral("- (standard input) can be given once"));
    if (parser.isSet(encoding) && !TextDecoding::isKnown(parser.value(encoding)))
        return usage(QStringLiteral("unknown encoding: %1").arg(parser.value(encoding)));
    QChar quoteChar;
    if (parser.isSet(quote)) {
        const QString q = parser.value(quote);
        if (q.size() != 1 || q.at(0).isSurrogate())
            return usage(QStringLiteral("--quote wants one character"));
        if (parser.value(separator).contains(q))
            return usage(QStringLiteral("the --quote character cannot be part of the separator"));
        quoteChar = q.at(0);
    }
    std::optional<ErrorsFile> errorsFile;
    if (parser.isSet(errors)) {
        try {
            errorsFile.emplace(parser.value(errors));
        } catch (const Failure& failure) {
            std::fprintf(stderr, "tessaloom-import: %s\n",
                         failure.description().toLocal8Bit().constData());
            return 1;
        }
    }

    const ConnectionSettings settings{parser.value(server), parser.value(port), parser.value(user),
                                      QString::fromLocal8Bit(qgetenv("TESSALOOM_PASSWORD")),
                                      parser.value(database)};
    QStringList answers;
    ImportOptions values;
    values.separator = parser.value(separator);
    if (parser.isSet(table))
        values.tableName = parser.value(table);
    if (parser.isSet(columnNames)) {
        values.firstLineHandling = FirstLineHandling::IgnoreWithUserNames;
        answers = parser.value(columnNames).split(QLatin1Char(','));
    }
    if (parser.isSet(append)) {
        values.mode = ImportMode::AppendToExisting;
        values.ignoreHeaderRow = parser.isSet(skipHeader);
    }

    ConsoleInteraction console(answers);
    ImportProgress progress;
    if (!parser.isSet(quiet) && ::isatty(STDERR_FILENO)) {
        console.showProgress(&progress);
        progressShown = 1;
    }
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    MemoryTableList tables;
    const SessionFactory createSession = [rowsPerBatch] {
        auto session = std::make_unique<DatabaseSession>();
        session->setRowsPerBatch(rowsPerBatch);
        return session;
    };
    {
        // The table list is filled first, as the main window's load does.
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
        if (load.failures() > 0) {
            // Nothing was loaded: each file is listed once, with the reason.
            if (errorsFile) {
                const QString reason =
                    (cause.isEmpty() ? QString() : cause + QStringLiteral("\r\n")) +
                    QStringLiteral("The table list could not be read from the database; nothing "
                                   "was loaded.");
                for (const QString& file : files)
                    errorsFile->file(file, reason);
                try {
                    errorsFile->finish();
                } catch (const Failure&) {
                }
            }
            return 1;
        }
    }
    if (parser.isSet(append))
        tables.setCurrentIndex(int(tables.items().indexOf(parser.value(append))));

    FixedImportOptions options(values, &tables);
    ImportRun run(ImportContext{console, options, tables, [&] { return int(files.size()); },
                                [&](int i) { return files.value(i); }, [&] { return settings; },
                                createSession, nullptr, QString(), [] { return stopSignal != 0; }},
                  RunnerOptions{parser.value(encoding), quoteChar,
                                errorsFile ? &*errorsFile : nullptr, &progress});
    const ImportOutcome outcome = run.start();
    console.endProgress();
    if (outcome.stopped)
        std::fprintf(
            stderr, "tessaloom-import: stopped.%s\n",
            (outcome.stopReport.isEmpty() ? QString() : QLatin1Char(' ') + outcome.stopReport)
                .toLocal8Bit()
                .constData());
    bool written = true;
    if (errorsFile) {
        try {
            errorsFile->finish();
        } catch (const Failure& failure) {
            std::fprintf(stderr, "tessaloom-import: %s\n",
                         failure.description().toLocal8Bit().constData());
            written = false;
        }
    }
    const bool clean = outcome.closingMessage == QStringLiteral("Done.") &&
                       outcome.failuresReported == 0 && outcome.filesMismatched == 0 && written;
    return clean ? 0 : 1;
}
