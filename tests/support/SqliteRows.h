#pragma once

#include <QString>
#include <QStringList>

// The rows a query gives on an SQLite file, read through a connection of its own as another
// program would see the file: each row its fields joined by "|", NULL shown as "<null>".
// An unreadable file or a failing query gives no rows.
QStringList SqliteRows(const QString& databaseFile, const QString& sql);
