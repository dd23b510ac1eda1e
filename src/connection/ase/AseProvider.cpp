#include "AseProvider.h"

#include "AseConnection.h"

std::unique_ptr<SessionProvider> AseProvider::open(const ConnectionString& parts)
{
    auto connection = std::make_unique<AseConnection>();
    connection->connect(parts.server, parts.port, parts.user, parts.password, parts.catalog);
    return connection;
}
