#include "ConnectionString.h"

#include "Failure.h"

namespace {
[[noreturn]] void missing(const QString& key)
{
    throw Failure(QStringLiteral("The connection string cannot be read: \"%1\" is missing or out of place.")
                      .arg(key));
}
} // namespace

ConnectionString ConnectionString::parse(const QString& text)
{
    static const QString providerKey = QStringLiteral("Provider=");
    static const QString sourceKey = QStringLiteral(";Data Source=");
    static const QString userKey = QStringLiteral(";User Id=");
    static const QString passwordKey = QStringLiteral(";Password=");
    static const QString catalogKey = QStringLiteral(";;Catalog=");

    if (!text.startsWith(providerKey))
        missing(providerKey);
    const qsizetype source = text.indexOf(sourceKey, providerKey.size());
    if (source < 0)
        missing(sourceKey);
    const qsizetype sourceStart = source + sourceKey.size();
    const qsizetype user = text.indexOf(userKey, sourceStart);
    if (user < 0)
        missing(userKey);
    const qsizetype userStart = user + userKey.size();
    const qsizetype password = text.indexOf(passwordKey, userStart);
    if (password < 0)
        missing(passwordKey);
    const qsizetype passwordStart = password + passwordKey.size();
    const qsizetype catalog = text.lastIndexOf(catalogKey);
    if (catalog < passwordStart)
        missing(catalogKey);

    ConnectionString parts;
    parts.provider = text.mid(providerKey.size(), source - providerKey.size());
    const QString dataSource = text.mid(sourceStart, user - sourceStart);
    const qsizetype colon = dataSource.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        parts.server = dataSource;
    } else {
        parts.server = dataSource.left(colon);
        parts.port = dataSource.mid(colon + 1);
    }
    parts.user = text.mid(userStart, password - userStart);
    parts.password = text.mid(passwordStart, catalog - passwordStart);
    parts.catalog = text.mid(catalog + catalogKey.size());
    return parts;
}
