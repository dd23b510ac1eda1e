#include "AseProvider.h"

#include "AseConnection.h"

std::unique_ptr<SessionProvider> AseProvider::open(const ConnectionString& parts, int rowsPerBatch)
{
    auto connection = std::make_unique<AseConnection>(rowsPerBatch);
    connection->connect(parts.server, parts.port, parts.user, parts.password, parts.catalog);
    return connection;
}
