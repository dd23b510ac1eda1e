#include "ConnectionSettings.h"

QString BuildConnectionString(const ConnectionSettings& s)
{
    return QStringLiteral("Provider=ASEOLEDB;Data Source=") + s.server + QStringLiteral(":") + s.port +
           QStringLiteral(";User Id=") + s.user + QStringLiteral(";Password=") + s.password +
           QStringLiteral(";") + QStringLiteral(";Catalog=") + s.database;
}
