#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"

#include <QList>
#include <QMetaType>
#include <QString>

class SandboxServer;

// Where an import run loads its rows: the embedded SQLite database, or the TDS sandbox with
// rows batched (the default), sent one statement per round trip ("--batch 1"), or by bulk
// copy (new tables typed from their data, "--column-types infer", which bulk copy loads).
enum class ImportTarget
{
    Embedded,
    SandboxBatched,
    SandboxOneByOne,
    SandboxBulk,
};
Q_DECLARE_METATYPE(ImportTarget)

inline const QList<ImportTarget> AllImportTargets{
    ImportTarget::Embedded, ImportTarget::SandboxBatched, ImportTarget::SandboxOneByOne};
inline const QList<ImportTarget> SandboxTargets{ImportTarget::SandboxBatched,
                                                ImportTarget::SandboxOneByOne};

// A short name for data rows: "embedded", "batched", "one-by-one", "bulk".
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
