#pragma once

#include "ImportRun.h"
#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <QStringList>

// One import run over an embedded database in a test's own folder.
struct ImportFixture
{
    TestEnvironment env;
    ScriptedInteraction ui;
    FixedImportOptions options;
    MemoryTableList tables;
    QStringList files;
    WindowPointer pointer;
    QString database = env.path(QStringLiteral("target.db"));
    std::function<void(int)> onFileRead; // called when the run takes entry i's path
    bool stopRequested = false;
    RunnerOptions runner;
    ImportContext context();
    ImportOutcome run();
    // Writes a data file into the test folder and adds it to the file list.
    QString addFile(const QString& name, const QByteArray& bytes);
    // Rows of a table as "a|b|c", in insertion order.
    QStringList rows(const QString& table) const;
    QStringList columns(const QString& table) const;
    QStringList tablesInDatabase() const;
    void execute(const QString& sql) const;
    // The messages shown, in order.
    QStringList shown() const { return ui.messageTexts(); }
    QStringList errorReports() const;
};

// What a run listed as not loaded, one "path|line|reason|text" per entry.
struct ListedRows : RejectedRows
{
    QStringList entries;
    void row(const QString& path, qint64 line, const QString& reason, const QString& text) override;
    void file(const QString& path, const QString& reason) override;
    QStringList lines() const; // the line number of each entry
};

// "at line N" of a report text, or -1.
int reportedLine(const QString& report);
