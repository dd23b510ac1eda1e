#pragma once

#include "ImportRun.h"
#include "ImportTarget.h"
#include "NumberedRows.h"
#include "ReportText.h"
#include "RunReports.h"
#include "SandboxServer.h"
#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <memory>
#include <QStringList>

// One import run in a test's own folder, against one target: an embedded database there, or
// a sandbox started for this fixture on a free loopback port and stopped with it.
struct ImportFixture
{
    explicit ImportFixture(ImportTarget target = ImportTarget::Embedded,
                           SandboxServer::Settings serverSettings = {});

    ImportTarget target;
    TestEnvironment env;
    std::unique_ptr<SandboxServer> server; // the sandbox targets' server
    ScriptedInteraction ui;
    FixedImportOptions options;
    MemoryTableList tables;
    QStringList files;
    WindowPointer pointer;
    QString database = env.path(QStringLiteral("target.db")); // the embedded target's file
    std::function<void(int)> onFileRead; // called when the run takes entry i's path
    bool stopRequested = false;
    RunnerOptions runner;

    // Empty when the target is ready; else why the sandbox did not start.
    QString startError() const;
    ConnectionSettings connectionSettings() const;
    ImportContext context();
    ImportOutcome run();
    // Stops the sandbox, so that its file holds all it committed; nothing for the embedded target.
    void settle();

    // Writes a data file into the test folder and adds it to the file list.
    QString addFile(const QString& name, const QByteArray& bytes);
    // The SQLite file holding the target's tables: the embedded database or the sandbox's.
    QString storeFile() const;
    // Rows of a table as "a|b|c", in insertion order; columns is a select list.
    QStringList rows(const QString& table, const QString& columns = QStringLiteral("*")) const;
    QStringList columns(const QString& table) const;
    QStringList tablesInDatabase() const;
    // Runs a statement through a session of the target, as Tessaloom would.
    void execute(const QString& sql) const;
    // Runs SQLite statements on the store file directly, as another program would.
    void executeInStore(const QByteArray& sql) const;
    // Refills the table list as the main window does when it opens.
    void listTables();
    // The messages shown, in order.
    QStringList shown() const { return ui.messageTexts(); }
    QStringList errorReports() const;
};
