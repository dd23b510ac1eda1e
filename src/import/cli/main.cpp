#include "ApplicationTitle.h"
#include "ConsoleInteraction.h"
#include "Guard.h"
#include "ImportRun.h"
#include "SybaseASE.h"

#include <cstdio>
#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
const char* const Help =
    R"(Loads delimited text files into database tables, as "Start Importing" does.

Connection (as in the connection window):
  --server TEXT      server host, or "file:" and a path for an embedded SQLite database
  --port TEXT        server port (default 5000)
  --user TEXT        login name
  --database TEXT    database
  The password is read from the environment variable TESSALOOM_PASSWORD, never from the
  command line.

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

Every message the window would show is printed as one line: its title, a colon, then its
text with line breaks shown as "\n"; error reports go to stderr, the rest to stdout.
Exit status: 0 when the run ended with "Done.", no failure was reported and no file was
skipped for its column count; 1 otherwise; 2 for bad usage.

Usage: tessaloom-import [options] FILE...
       tessaloom-import --version
)";

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
    const QCommandLineOption batch(QStringLiteral("batch"), {}, QStringLiteral("n"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({server, port, user, database, table, columnNames, append, skipHeader,
                       separator, batch, help});
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
    MemoryTableList tables;
    const SessionFactory createSession = [rowsPerBatch] {
        auto session = std::make_unique<DatabaseSession>();
        session->setRowsPerBatch(rowsPerBatch);
        return session;
    };
    {
        // The table list is filled first, as the main window's load does.
        Guard load(console, Locations::MainLoad);
        load.line(118, [&] { FillTableList(tables, createSession, settings, console); });
        if (load.failures() > 0)
            return 1;
    }
    if (parser.isSet(append))
        tables.setCurrentIndex(int(tables.items().indexOf(parser.value(append))));

    FixedImportOptions options(values, &tables);
    ImportRun run(ImportContext{console,
                                options,
                                tables,
                                [&] { return int(files.size()); },
                                [&](int i) { return files.value(i); },
                                [&] { return settings; },
                                createSession,
                                nullptr,
                                QString(),
                                {}});
    const ImportOutcome outcome = run.start();
    const bool clean = outcome.closingMessage == QStringLiteral("Done.") &&
                       outcome.failuresReported == 0 && outcome.filesMismatched == 0;
    return clean ? 0 : 1;
}
