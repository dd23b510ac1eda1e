#include "ProviderRegistry.h"

#include "ase/AseProvider.h"
#include "sqlite/SqliteProvider.h"

std::unique_ptr<SessionProvider> openProvider(const ConnectionSettings& settings,
                                              const SessionOptions& options)
{
    static const QString embedded = QStringLiteral("file:");
    if (settings.server.startsWith(embedded))
        return SqliteProvider::open(settings.server.mid(embedded.size()));
    return AseProvider::open(settings, options);
}
