#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Interaction.h"
#include "RejectedRows.h"
#include "TableList.h"

#include <optional>
#include <QString>
#include <QStringList>

// What the run needs to know of the database before its first file.
struct TablePreparation
{
    const SessionFactory& createSession;
    const ConnectionSettings& settings;
    Interaction& interaction;
    RejectedRows* rejected; // null without an errors file
    const QStringList& files;
};

// Fills the table list as the main window's load does and, for --append, selects the target
// in it. False when the run cannot go on: the failure is shown and every file is listed as
// not loaded.
bool PrepareTables(MemoryTableList& tables, const TablePreparation& preparation,
                   const std::optional<QString>& appendTarget);
