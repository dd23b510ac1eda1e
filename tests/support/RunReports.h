#pragma once

#include "RejectedRows.h"

#include <QStringList>

// What a run listed as not loaded, one "path|line|reason|text" per entry.
struct ListedRows : RejectedRows
{
    QStringList entries;
    QStringList reasons;
    QStringList texts; // the text of each entry as read; empty for a file
    void row(const QString& path, qint64 line, const QString& reason, const QString& text) override;
    void file(const QString& path, const QString& reason) override;
    QStringList lines() const; // the line number of each entry
};

// A report of a file loaded part-way ("..., N rows were loaded; from line L on ..."), its two
// numbers taken out so that reports of runs that got to different rows compare as texts.
struct PartWay
{
    QString text; // the report with the numbers' clause as "#"; empty when it has none
    qint64 loaded = -1;
    qint64 fromLine = -1;
};
PartWay partWay(const QString& report);

// The notes a server road adds for rows whose answer never came.
QString unknownOutcomeNote();
QString unknownCommitNote();
QString withoutUnknownOutcomeNotes(QString report);
