#pragma once

#include "ConnectionSettings.h"
#include "ImportOptions.h"

#include <optional>
#include <QChar>
#include <QString>
#include <QStringList>

// What the command line asks for, once it is known to make sense.
struct RunnerRequest
{
    QStringList files;                   // "-" at most once: standard input
    ConnectionSettings connection;       // the password stays empty: it comes from the environment
    ImportOptions importOptions;         // mode, table pattern, header handling, separator
    QStringList promptAnswers;           // --column-names: the answers to the column prompts
    std::optional<QString> appendTarget; // --append: the table every file goes into
    QString encoding;                    // empty: a byte-order mark or the line decides
    QChar quote;                         // null: fields are not quoted
    std::optional<QString> errorsPath;   // --errors: where rows not loaded are listed
    bool quiet = false;                  // no progress line even on a terminal
    bool verbose = false;                // each CREATE TABLE sent is printed
    std::optional<QString> nullText;     // --null: a field equal to it is loaded as NULL
    int rowsPerBatch = 0;                // 0: the session's own default
};

enum class CommandLineAction
{
    Run,
    ShowHelp,
    ShowVersion,
    BadUsage,
};

struct ParsedCommandLine
{
    CommandLineAction action = CommandLineAction::BadUsage;
    QString problem;       // BadUsage: what is wrong, in the words printed before the usage
    RunnerRequest request; // Run: what to do
};

// Reads the runner's arguments (the program's name first) and checks that they make sense,
// without touching any file or database.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);
