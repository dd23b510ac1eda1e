#include "ImportFixture.h"

#include "Guard.h"
#include "SqliteRows.h"
#include "SybaseASE.h"

#include <QFile>
#include <sqlite3.h>

ImportFixture::ImportFixture(ImportTarget target, SandboxServer::Settings serverSettings)
    : target(target)
{
    if (isSandbox(target))
        server = std::make_unique<SandboxServer>(std::move(serverSettings));
    // Text columns keep a table on statements.
    if (target == ImportTarget::SandboxBulk)
        options.values().columnTyping = ColumnTyping::Inferred;
}

QString ImportFixture::startError() const
{
    if (!server || server->isRunning())
        return {};
    return server->errorText().isEmpty() ? QStringLiteral("the sandbox is not running")
                                         : server->errorText();
}

ConnectionSettings ImportFixture::connectionSettings() const
{
    if (server)
        return sandboxSettings(*server);
    return {QStringLiteral("file:") + database, QStringLiteral("5000"), {}, {}, {}};
}

ImportContext ImportFixture::context()
{
    return ImportContext{ui,
                         options,
                         tables,
                         [this] { return int(files.size()); },
                         [this](int i) {
                             if (onFileRead)
                                 onFileRead(i);
                             return files.value(i);
                         },
                         [this] { return connectionSettings(); },
                         defaultSessionFactory(),
                         &pointer,
                         env.path(QStringLiteral("temp/upload.txt")),
                         [this] { return stopRequested; },
                         sessionOptionsFor(target)};
}

ImportOutcome ImportFixture::run()
{
    ImportRun run(context(), runner);
    return run.start();
}

void ImportFixture::settle()
{
    // The server ends a session's work after its client has gone: once it has stopped, its
    // file holds everything it committed.
    if (server)
        server->stop();
}

QString ImportFixture::addFile(const QString& name, const QByteArray& bytes)
{
    const QString path = env.writeFile(QStringLiteral("data/") + name, bytes);
    files << path;
    return path;
}

QString ImportFixture::storeFile() const
{
    return server ? server->databaseFile(server->settings().databases.first()) : database;
}

QStringList ImportFixture::rows(const QString& table, const QString& columns) const
{
    return SqliteRows(storeFile(),
                      QStringLiteral("SELECT %1 FROM [%2] ORDER BY rowid").arg(columns, table));
}

QStringList ImportFixture::columns(const QString& table) const
{
    QStringList names;
    for (const QString& row :
         SqliteRows(storeFile(), QStringLiteral("PRAGMA table_info([%1])").arg(table)))
        names << row.section(QLatin1Char('|'), 1, 1);
    return names;
}

QStringList ImportFixture::tablesInDatabase() const
{
    return SqliteRows(
        storeFile(),
        QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid"));
}

void ImportFixture::execute(const QString& sql) const
{
    DatabaseSession session;
    session.open(connectionSettings(), sessionOptionsFor(target));
    session.execute(sql);
    session.close();
}

void ImportFixture::executeInStore(const QByteArray& sql) const
{
    sqlite3* handle = nullptr;
    if (sqlite3_open(QFile::encodeName(storeFile()).constData(), &handle) != SQLITE_OK ||
        sqlite3_exec(handle, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("cannot prepare the store: %s", sqlite3_errmsg(handle));
    sqlite3_close(handle);
}

void ImportFixture::listTables()
{
    Guard load(ui, Locations::MainLoad);
    load.line(118,
              [&] { FillTableList(tables, defaultSessionFactory(), connectionSettings(), ui); });
}

QStringList ImportFixture::errorReports() const
{
    QStringList reports;
    for (const auto& m : ui.messages())
        if (m.title == ApplicationErrorTitle)
            reports << m.text;
    return reports;
}
