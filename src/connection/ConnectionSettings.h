#pragma once

#include <QString>

#include <functional>

// The five connection values, in the order they enter the connection string.
struct ConnectionSettings
{
    QString server;
    QString port;
    QString user;
    QString password;
    QString database;
};

// "Provider=ASEOLEDB;Data Source=server:port;User Id=user;Password=password;;Catalog=database",
// composed exactly, with nothing trimmed, quoted or escaped.
QString BuildConnectionString(const ConnectionSettings& settings);

// Where the live connection values come from at the moment a session is opened
// (the connection window's boxes in the program, a fixed value in tests and the headless runner).
using ConnectionSource = std::function<ConnectionSettings()>;
