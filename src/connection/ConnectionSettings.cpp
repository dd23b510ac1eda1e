#include "ConnectionSettings.h"

#include <QDir>

std::optional<QString> EmbeddedDatabasePath(const QString& server)
{
    static const QString prefix = QStringLiteral("file:");
    if (!server.startsWith(prefix))
        return std::nullopt;
    const QString path = server.mid(prefix.size());
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}
