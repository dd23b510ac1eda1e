#include "ObjectNames.h"

#include <cctype>
#include <sqlite3.h>

namespace sandbox {

namespace {
constexpr char Escape = '^';

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Type names SQLite does not take for keywords; where a type is due they are no object names.
const std::set<std::string, std::less<>> typeNames = {
    "bigdatetime", "bigint",    "bigtime",   "binary",    "bit",      "blob",       "boolean",
    "char",        "character", "clob",      "date",      "datetime", "dec",        "decimal",
    "double",      "float",     "image",     "int",       "integer",  "money",      "nchar",
    "numeric",     "nvarchar",  "precision", "real",      "smallint", "smallmoney", "smalldatetime",
    "sysname",     "text",      "time",      "timestamp", "tinyint",  "unichar",    "unitext",
    "univarchar",  "unsigned",  "varbinary", "varchar",   "varying"};

bool isKeyword(const SqlToken& t)
{
    return t.kind == SqlToken::Word &&
           sqlite3_keyword_check(t.text.data(), int(t.text.size())) != 0;
}

// The words before "(" that make the word after them a table, not a function.
bool introducesTableList(const SqlToken& t, bool definesColumns)
{
    return t.is("into") || t.is("insert") || t.is("table") || t.is("references") || t.is("view") ||
           (definesColumns && t.is("on"));
}

std::string quotedIdentifier(const std::string& name)
{
    if (name.find(']') == std::string::npos)
        return "[" + name + "]";
    return quotedSql(name, '"');
}
} // namespace

std::string nameOf(const SqlToken& t)
{
    if (t.kind != SqlToken::QuotedName || t.text.size() < 2)
        return std::string(t.text);
    const std::string_view inner = t.text.substr(1, t.text.size() - 2);
    if (t.text.front() == '[')
        return std::string(inner);
    std::string out; // "" inside double quotes is one "
    for (size_t i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"')
            ++i;
    }
    return out;
}

std::string escapedName(std::string_view name)
{
    std::string out;
    out.reserve(name.size() + 4);
    for (char c : name) {
        if (isUpper(c) || c == Escape)
            out += Escape;
        out += c;
    }
    return out + Escape;
}

std::string clientName(std::string_view stored)
{
    if (stored.find(Escape) == std::string_view::npos)
        return std::string(stored);
    std::string out;
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != Escape) {
            if (isUpper(stored[i]))
                return std::string(stored); // an escaped name has none bare
            out += stored[i];
        } else if (i + 1 == stored.size()) {
            return out;
        } else if (stored[i + 1] == Escape || isUpper(stored[i + 1])) {
            out += stored[++i];
        } else {
            break;
        }
    }
    return std::string(stored); // no end mark, or a stray one: not an escaped name
}

std::string clientNamesIn(std::string_view text)
{
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ' && text[i] != '.' && text[i] != ',')
            continue;
        out += clientName(text.substr(start, i - start));
        if (i < text.size())
            out += text[i];
        start = i + 1;
    }
    return out;
}

void StoredNames::addStored(const std::string& stored)
{
    std::string name = clientName(stored);
    m_folded.insert(lowerAscii(name));
    m_stored.emplace(std::move(name), stored);
}

void StoredNames::addCatalogueName(const std::string& name)
{
    if (!known(name))
        m_stored.emplace(name, name);
}

const std::string* StoredNames::known(std::string_view name) const
{
    if (const auto it = m_stored.find(name); it != m_stored.end())
        return &it->second;
    return m_database ? m_database->known(name) : nullptr;
}

bool StoredNames::caseVariantKnown(const std::string& folded) const
{
    return m_folded.count(folded) || (m_database && m_database->caseVariantKnown(folded));
}

std::string StoredNames::storedFor(std::string_view name)
{
    if (const std::string* stored = known(name))
        return *stored;
    const std::string folded = lowerAscii(name);
    // A stored name with the escape mark in it is always an escaped one.
    std::string stored = caseVariantKnown(folded) || name.find(Escape) != std::string_view::npos
                             ? escapedName(name)
                             : std::string(name);
    m_folded.insert(folded);
    m_stored.emplace(std::string(name), stored);
    return stored;
}

bool isObjectName(const SqlToken& t, const SqlToken* previous, const SqlToken* next,
                  bool definesColumns)
{
    if (t.kind == SqlToken::QuotedName)
        return true;
    if (t.kind != SqlToken::Word || t.text.front() == '@' || isKeyword(t))
        return false;
    if (previous && previous->is("collate"))
        return false;
    if (next && next->text == "(") // a function or a sized type, unless a table comes here
        return previous && introducesTableList(*previous, definesColumns);
    if (typeNames.count(lowerAscii(t.text))) {
        // "[A] int", "a double precision", "cast(a as date)"
        const bool afterName =
            previous && (previous->kind == SqlToken::QuotedName ||
                         (previous->kind == SqlToken::Word && !isKeyword(*previous)));
        if (definesColumns && afterName)
            return false;
        if (previous && previous->is("as") && next && next->text == ")")
            return false;
    }
    return true;
}

std::string storedNameText(const SqlToken& t, StoredNames& names)
{
    const std::string name = nameOf(t);
    const std::string stored = names.storedFor(name);
    return stored == name ? std::string(t.text) : quotedIdentifier(stored);
}

} // namespace sandbox
