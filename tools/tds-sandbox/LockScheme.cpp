#include "LockScheme.h"

#include "SqlLexer.h"

#include <cctype>

namespace sandbox {

namespace {
constexpr std::string_view MarkPrefix = "/*lock ";

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    return s;
}
} // namespace

std::string keepLockScheme(std::string sql)
{
    const size_t close = sql.rfind(')');
    if (close == std::string::npos)
        return sql;
    std::string_view tail = trimmed(std::string_view(sql).substr(close + 1));
    if (tail.empty() || lowerAscii(std::string(tail.substr(0, 5))) != "lock ")
        return sql;
    const std::string scheme = lowerAscii(std::string(trimmed(tail.substr(5))));
    if (scheme != "allpages" && scheme != "datapages" && scheme != "datarows")
        return sql;
    std::string out = sql.substr(0, close);
    out += MarkPrefix;
    out += scheme;
    out += "*/)";
    return out;
}

int sysstat2Of(std::string_view tableSql)
{
    const size_t mark = tableSql.rfind(MarkPrefix);
    if (mark == std::string_view::npos)
        return Sysstat2Allpages;
    const std::string_view scheme = tableSql.substr(mark + MarkPrefix.size());
    if (scheme.substr(0, 8) == "datarows")
        return Sysstat2Datarows;
    if (scheme.substr(0, 9) == "datapages")
        return Sysstat2Datapages;
    return Sysstat2Allpages;
}

} // namespace sandbox
