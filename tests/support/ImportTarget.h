#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"

#include <QList>
#include <QMetaType>
#include <QString>

class SandboxServer;

// Where an import run loads its rows: the embedded SQLite database, or the TDS sandbox with
// rows batched (the default) or sent one statement per round trip ("--batch 1").
enum class ImportTarget
{
    Embedded,
    SandboxBatched,
    SandboxOneByOne,
};
Q_DECLARE_METATYPE(ImportTarget)

inline const QList<ImportTarget> AllImportTargets{
    ImportTarget::Embedded, ImportTarget::SandboxBatched, ImportTarget::SandboxOneByOne};
inline const QList<ImportTarget> SandboxTargets{ImportTarget::SandboxBatched,
                                                ImportTarget::SandboxOneByOne};

// A short name for data rows: "embedded", "batched", "one-by-one".
const char* targetName(ImportTarget target);
inline bool isSandbox(ImportTarget target)
{
    return target != ImportTarget::Embedded;
}

// How the target's sessions send rows: batched by default, or one per round trip.
SessionOptions sessionOptionsFor(ImportTarget target);

// The connection values of an embedded database at path.
ConnectionSettings embedded(const QString& path);
// The connection values that reach a running sandbox's first database.
ConnectionSettings sandboxSettings(const SandboxServer& server);
