#include "RunnerReports.h"

#include <cstdio>

const char* const RunnerHelpText =
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
  --separator TEXT   the field separator (default ","), not empty; \t stands for a tab
  --column-types KIND
                     new-table mode: "text" (the default) makes every column text; "infer"
                     gives each column the narrowest type every value of the file fits:
                     whole numbers (not "007" or "+5"), decimals, ISO dates, dates and
                     times, else character data as long as the longest value; a column
                     with an empty field takes NULL for it
  --null TEXT        a field equal to TEXT is loaded as NULL, in both modes (e.g. --null NA,
                     or --null '' for empty fields); a NOT NULL column then refuses its row
  --batch N          Sybase ASE: rows sent per round trip, inside transactions (default 1000),
                     or per bulk copy batch (default 20000); 1 sends each row alone, as a
                     statement, without a transaction
  --bulk             Sybase ASE: rows appended to an existing table go by bulk copy too
                     (as they always do into a new table the run makes); bulk copy fires
                     no triggers or rules and checks no constraints other than unique
                     indexes. Tables with text or image columns always get statements.
  --no-bulk          Sybase ASE: every row goes as an INSERT statement, new tables included

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
  --verbose          prints each CREATE TABLE statement sent, as sent, on a line of its own
                     on stdout (with --column-types infer: the types chosen).

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

int ReportBadUsage(const QString& problem)
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "tessaloom-import: %s\n\n", problem.toLocal8Bit().constData());
    std::fputs(RunnerHelpText, stderr);
    return 2;
}

void PrintRunnerFailure(const QString& text)
{
    std::fprintf(stderr, "tessaloom-import: %s\n", text.toLocal8Bit().constData());
}
