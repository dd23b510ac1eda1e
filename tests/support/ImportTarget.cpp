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
    }
    return "?";
}

SessionFactory sessionsFor(ImportTarget target)
{
    if (target != ImportTarget::SandboxOneByOne)
        return defaultSessionFactory();
    return [] {
        auto session = std::make_unique<DatabaseSession>();
        session->setRowsPerBatch(1);
        return session;
    };
}

QString embedded(const QString& path)
{
    return BuildConnectionString(
        {QStringLiteral("file:") + path, QStringLiteral("5000"), {}, {}, {}});
}

ConnectionSettings sandboxSettings(const SandboxServer& server)
{
    return {QStringLiteral("127.0.0.1"), server.portText(), server.settings().user,
            server.settings().password, server.settings().databases.first()};
}
