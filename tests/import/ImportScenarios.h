#pragma once

#include "ImportFixture.h"

#include <optional>
#include <QtTest>

// An error report a scenario expects: the line it names and words it holds (and does not).
// "{file}" in them stands for the path of the scenario's first file.
struct Report
{
    int line = -1;
    QString contains;
    QString absent = {};
    QString opening = {}; // the words it starts with
};

// One import run and what it must leave: the rows of one table, the reports shown, the rows
// listed as not loaded ("line" or "line:text as read"), and the closing message.
struct Scenario
{
    QList<std::pair<QString, QByteArray>> files;
    std::function<void(ImportFixture&)> arrange = {}; // options, answers, tables made before
    QString table = QStringLiteral("NewTable1");
    QString select = QStringLiteral("*");
    QStringList rows = {};
    QList<Report> reports = {};
    QStringList listed = {};
    QStringList listedReasons = {};              // words the reason of each listed row holds
    QStringList columns = {};                    // when given, the table's column names
    QStringList tableList = {};                  // when given, the window's table list afterwards
    std::optional<QStringList> storeTables = {}; // the tables the database holds afterwards
    QString closing = QStringLiteral("Done.");
};

Q_DECLARE_METATYPE(Scenario)

// The rows of the scenario table ("target", "scenario"), one per target that has each.
void addValueScenarios();
void addRejectionScenarios();
void addTableNameScenarios();
void addReadingScenarios();
void addFileScenarios();
