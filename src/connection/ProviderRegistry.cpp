#include "ProviderRegistry.h"

#include "ase/AseProvider.h"
#include "sqlite/SqliteProvider.h"

std::unique_ptr<SessionProvider> openProvider(const ConnectionSettings& settings,
                                              const SessionOptions& options)
{
    if (const std::optional<QString> path = EmbeddedDatabasePath(settings.server))
        return SqliteProvider::open(*path);
    return AseProvider::open(settings, options);
}
