#include "ProviderRegistry.h"

#include "Failure.h"
#include "ase/AseProvider.h"
#include "sqlite/SqliteProvider.h"

std::unique_ptr<SessionProvider> openProvider(const ConnectionString& parts, int rowsPerBatch)
{
    if (parts.provider != QStringLiteral("ASEOLEDB"))
        throw Failure(QStringLiteral("Provider cannot be found. It may not be properly installed."));
    static const QString embedded = QStringLiteral("file:");
    if (parts.server.startsWith(embedded))
        return SqliteProvider::open(parts.server.mid(embedded.size()));
    return AseProvider::open(parts, rowsPerBatch);
}
