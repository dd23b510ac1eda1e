#pragma once

#include <QString>
#include <QStringList>

// The texts an import run shows and lists, in one place: reports, rejected-row reasons and
// closing messages are read by users and by scripts, so each is written once.
namespace RunMessages {
// 8160 as "8,160".
QString grouped(qint64 number);

QString noFilesAdded();
QString selectTable();
QString tableNameExists();
QString done();
// "Table(s) already exist." and the tables whose files were skipped.
QString tablesThatExist(const QStringList& tables);
// A table typed from its data: "T (id int NOT NULL, name varchar(3) NULL)".
QString typedTable(const QString& table, const QStringList& columns,
                   const QStringList& declarations);
// The closing message followed by the tables typed from their data.
QString withTypedTables(const QString& message, const QStringList& tables);
QString everyFileEndedBeforeStop();
QString stoppedBeforeFile();
QString stoppedBeforeThisFile();
QString stoppedBeforeRow();
// The closing message of a run stopped from the window, with what of the file in hand was
// loaded.
QString runStopped(const QString& report);
QString dontShowRowsAgain();
QString quoteInSeparator();

QString noSession();
// A failure that dooms a whole file, naming it.
QString aboutFile(const QString& description, const QString& path);
// What of a file given up on the way was loaded, and the line a later run would resume from.
QString partWay(const QString& path, qint64 loaded, qint64 fromLine);
QString connectionLost();
QString rowNotLoaded(const QString& description, qint64 line, const QString& path);

QString tableSkipped(const QString& table);
QString noTableName();
QString bracketRefusal(const QString& table);
QString noColumns();
QString headerUnreadable(const QString& fault, qint64 line);
QString askColumnName(int position);
QString noColumnName(int position);
QString columnNameTooLong(int position, const QString& where, qsizetype length, qsizetype limit);
QString columnsDiffer(const QString& path, const QString& separator, int fileColumns,
                      const QString& table, int tableColumns);

QString unclosedQuote(qint64 line);
QString nulInField(int field);
} // namespace RunMessages
