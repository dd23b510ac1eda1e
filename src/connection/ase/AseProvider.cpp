#include "AseProvider.h"

#include "AseConnection.h"
#include "Failure.h"

int AseProvider::commandTimeoutSeconds()
{
    const QByteArray text = qgetenv(CommandTimeoutVariable);
    if (text.isEmpty())
        return DefaultCommandTimeoutSeconds;
    bool ok = false;
    const int seconds = text.trimmed().toInt(&ok);
    if (!ok || seconds < 0)
        throw Failure(
            QStringLiteral("%1 is \"%2\", not a number of seconds.")
                .arg(QLatin1String(CommandTimeoutVariable), QString::fromLocal8Bit(text)));
    return seconds;
}

std::unique_ptr<SessionProvider> AseProvider::open(const ConnectionSettings& settings,
                                                   const SessionOptions& options)
{
    auto connection = std::make_unique<AseConnection>(options);
    connection->connect(settings.server, settings.port, settings.user, settings.password,
                        settings.database);
    return connection;
}
