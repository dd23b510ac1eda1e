#include "ImportFixture.h"

#include "Guard.h"
#include "SqliteRows.h"

#include <QRegularExpression>

ImportContext ImportFixture::context()
{
    return ImportContext{
        ui,
        options,
        tables,
        [this] { return int(files.size()); },
        [this](int i) {
            if (onFileRead)
                onFileRead(i);
            return files.value(i);
        },
        [this] {
            return ConnectionSettings{
                QStringLiteral("file:") + database, QStringLiteral("5000"), {}, {}, {}};
        },
        defaultSessionFactory(),
        &pointer,
        env.path(QStringLiteral("temp/upload.txt")),
        [this] { return stopRequested; },
        SessionOptions{}};
}

ImportOutcome ImportFixture::run()
{
    ImportRun run(context(), runner);
    return run.start();
}

QString ImportFixture::addFile(const QString& name, const QByteArray& bytes)
{
    const QString path = env.writeFile(QStringLiteral("data/") + name, bytes);
    files << path;
    return path;
}

QStringList ImportFixture::rows(const QString& table) const
{
    return SqliteRows(database, QStringLiteral("SELECT * FROM [%1] ORDER BY rowid").arg(table));
}

QStringList ImportFixture::columns(const QString& table) const
{
    QStringList names;
    for (const QString& row :
         SqliteRows(database, QStringLiteral("PRAGMA table_info([%1])").arg(table)))
        names << row.section(QLatin1Char('|'), 1, 1);
    return names;
}

QStringList ImportFixture::tablesInDatabase() const
{
    return SqliteRows(
        database,
        QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid"));
}

void ImportFixture::execute(const QString& sql) const
{
    DatabaseSession session;
    session.open(
        ConnectionSettings{QStringLiteral("file:") + database, QStringLiteral("5000"), {}, {}, {}});
    session.execute(sql);
    session.close();
}

QStringList ImportFixture::errorReports() const
{
    QStringList reports;
    for (const auto& m : ui.messages())
        if (m.title == ApplicationErrorTitle)
            reports << m.text;
    return reports;
}

int reportedLine(const QString& report)
{
    const auto match = QRegularExpression(QStringLiteral("at line (\\d+)\r\r")).match(report);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void ListedRows::row(const QString& path, qint64 line, const QString& reason, const QString& text)
{
    entries << QStringList{path, QString::number(line), reason, text}.join(QLatin1Char('|'));
}

void ListedRows::file(const QString& path, const QString& reason)
{
    row(path, 0, reason, QString());
}

QStringList ListedRows::lines() const
{
    QStringList numbers;
    for (const QString& e : entries)
        numbers << e.section(QLatin1Char('|'), 1, 1);
    return numbers;
}
