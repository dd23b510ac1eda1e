#pragma once

#include <functional>
#include <optional>
#include <QString>

// The five connection values, as the connection window holds them.
struct ConnectionSettings
{
    QString server;
    QString port;
    QString user;
    QString password;
    QString database;
};

// The path of the embedded SQLite database a server value names ("file:" and the path), or none
// for a server reached over TDS: the one rule that picks the provider. A path beginning with
// "~/" starts in the home folder, as in a shell; "~user" is left as typed.
std::optional<QString> EmbeddedDatabasePath(const QString& server);

// How a session sends rows and waits, beyond where it connects.
struct SessionOptions
{
    // Rows a server provider sends per round trip, or per bulk batch (0: its default; 1: each
    // row alone, as a statement, without transactions).
    int rowsPerBatch = 0;
    // Seconds a statement may wait for the server (0: no limit of ours); unset: the
    // TESSALOOM_COMMAND_TIMEOUT variable or the provider's default.
    std::optional<int> commandTimeoutSeconds;
};

// Where the live connection values come from at the moment a session is opened
// (the connection window's boxes in the program, a fixed value in tests and the headless runner).
using ConnectionSource = std::function<ConnectionSettings()>;
