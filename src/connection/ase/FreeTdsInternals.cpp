#include "FreeTdsInternals.h"

#include <cstdint>
#include <cstring>
#include <ctpublic.h>
#include <QRegularExpression>
#include <sys/stat.h>

namespace {
// The leading members of FreeTDS's structures, as in its ctlib.h and freetds/tds.h.
struct ServerEnvironment // TDSENV
{
    int blockSize;
    char* language;
    char* charset;
    char* database;
};

struct TdsConnection // struct tds_connection
{
    std::uint16_t tdsVersion;
    std::uint32_t productVersion;
    char* productName;
    int socket;
    int wakeup[2];
    const void* tdsContext;
    ServerEnvironment environment;
};

struct TdsSocket // struct tds_socket, built with MARS: the connection is a pointer
{
    TdsConnection* connection;
};

struct CtConnection // struct _cs_connection
{
    CS_CONTEXT* context;
    void* login;
    TdsSocket* socket;
};

bool checkVersion(CS_CONTEXT* context)
{
    char text[256] = {};
    CS_INT length = 0;
    if (ct_config(context, CS_GET, CS_VER_STRING, text, sizeof(text) - 1, &length) != CS_SUCCEED)
        return false;
    // "freetds v1.3.17 (threadsafe, default tds version=auto)"
    static const QRegularExpression version(QStringLiteral("^freetds v1\\.[345]\\.\\d"));
    return version.match(QString::fromLatin1(text)).hasMatch();
}

const TdsConnection* connectionOf(_cs_connection* connection)
{
    CS_CONTEXT* context = nullptr;
    if (!connection ||
        ct_con_props(connection, CS_GET, CS_PARENT_HANDLE, &context, CS_UNUSED, nullptr) !=
            CS_SUCCEED ||
        !FreeTdsInternals::layoutKnown(context))
        return nullptr;
    const TdsSocket* socket = reinterpret_cast<const CtConnection*>(connection)->socket;
    return socket ? socket->connection : nullptr;
}

bool isSocket(int fd)
{
    struct stat info
    {
    };
    return fd >= 0 && fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
}
} // namespace

bool FreeTdsInternals::layoutKnown(CS_CONTEXT* context)
{
    static const bool known = context && checkVersion(context);
    return known;
}

int FreeTdsInternals::socketOf(_cs_connection* connection)
{
#ifdef CS_ENDPOINT
    CS_INT endpoint = -1;
    if (connection &&
        ct_con_props(connection, CS_GET, CS_ENDPOINT, &endpoint, CS_UNUSED, nullptr) == CS_SUCCEED)
        return isSocket(endpoint) ? endpoint : -1;
#endif
    const TdsConnection* tds = connectionOf(connection);
    return tds && isSocket(tds->socket) ? tds->socket : -1;
}

QString FreeTdsInternals::serverCharsetOf(_cs_connection* connection)
{
    const TdsConnection* tds = connectionOf(connection);
    if (!tds || !tds->environment.charset)
        return {};
    // A charset name is a short plain word; anything else means the layout is not what it seems.
    const char* name = tds->environment.charset;
    const size_t length = strnlen(name, 31);
    static const QRegularExpression word(QStringLiteral("^[A-Za-z0-9_.-]{1,30}$"));
    const QString text = QString::fromLatin1(name, qsizetype(length));
    return word.match(text).hasMatch() ? text : QString();
}
