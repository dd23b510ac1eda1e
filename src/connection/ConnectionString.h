#pragma once

#include <QString>

// The parts of a connection string as BuildConnectionString composes it. Values may hold
// ";" and "=": the fixed keys are found in their fixed order, the password runs up to the
// last ";;Catalog=", and the data source splits at its last ":" into server and port.
struct ConnectionString
{
    QString provider;
    QString server;
    QString port;
    QString user;
    QString password;
    QString catalog;

    // Throws Failure with a description naming the missing piece (never the password).
    static ConnectionString parse(const QString& text);
};
