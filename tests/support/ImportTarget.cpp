#include "ImportTarget.h"

#include "SandboxServer.h"

const char* targetName(ImportTarget target)
{
    switch (target) {
    case ImportTarget::Embedded:
        return "embedded";
    case ImportTarget::SandboxBatched:
        return "batched";
    case ImportTarget::SandboxOneByOne:
        return "one-by-one";
    case ImportTarget::SandboxBulk:
        return "bulk";
    }
    return "?";
}

SessionOptions sessionOptionsFor(ImportTarget target)
{
    SessionOptions options;
    if (target == ImportTarget::SandboxOneByOne)
        options.rowsPerBatch = 1;
    // Bulk batches end at a known row as well as on the clock.
    if (target == ImportTarget::SandboxBulk)
        options.rowsPerBatch = 1000;
    return options;
}

ConnectionSettings embedded(const QString& path)
{
    return {QStringLiteral("file:") + path, QStringLiteral("5000"), {}, {}, {}};
}

ConnectionSettings sandboxSettings(const SandboxServer& server)
{
    return {QStringLiteral("127.0.0.1"), server.portText(), server.settings().user,
            server.settings().password, server.settings().databases.first()};
}
