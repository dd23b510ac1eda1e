// The bulk copy's view of a table: readBulkTable and the batch texts that name one.
#include "AseErrors.h"
#include "BulkCopy.h"
#include "Catalogue.h"
#include "LockScheme.h"

#include <cctype>
#include <sqlite3.h>

namespace sandbox {

namespace {
// The words of a batch, blanks and line breaks between them ignored.
std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        size_t end = at;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

bool sameWord(std::string_view word, std::string_view lower)
{
    return lowerAscii(std::string(word)) == lower;
}

// One part of a name without its brackets or quotes.
std::string unquotedPart(std::string_view part)
{
    if (part.size() >= 2 && ((part.front() == '[' && part.back() == ']') ||
                             (part.front() == '"' && part.back() == '"')))
        part = part.substr(1, part.size() - 2);
    return std::string(part);
}

std::string unquotedName(std::string_view name)
{
    std::string out;
    size_t start = 0;
    for (size_t dot = name.find('.');; dot = name.find('.', start)) {
        out += unquotedPart(name.substr(start, dot - start));
        if (dot == std::string_view::npos)
            break;
        out += '.';
        start = dot + 1;
    }
    return out;
}

bool readColumns(sqlite3* db, BulkTable& table)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "select name, type, \"notnull\", dflt_value from pragma_table_info(?)",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(stmt, 1, table.stored.c_str(), int(table.stored.size()), SQLITE_STATIC);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        auto text = [stmt](int i) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return std::string(t ? t : "");
        };
        table.storedColumns.push_back(text(0));
        table.columnNames.push_back(clientName(text(0)));
        table.types.push_back(aseTypeOf(text(1)));
        if (lowerAscii(text(1)) == "image") { // kept off bulk copy with text columns
            table.types.back().family = AseType::Text;
            table.types.back().name = "image";
        }
        table.nullable.push_back(sqlite3_column_int(stmt, 2) == 0);
        table.defaults.push_back(text(3));
    }
    sqlite3_finalize(stmt);
    return !table.storedColumns.empty();
}

bool readLockScheme(sqlite3* db, BulkTable& table)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "select sql from main.sqlite_master where type = 'table' and name = ?",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(stmt, 1, table.stored.c_str(), int(table.stored.size()), SQLITE_STATIC);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    if (found) {
        const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        table.datarows = sysstat2Of(sql ? sql : "") == Sysstat2Datarows;
    }
    sqlite3_finalize(stmt);
    return found;
}
} // namespace

std::optional<BulkTable> readBulkTable(SessionState& state, std::string_view name,
                                       ServerMessage* error)
{
    const std::string written = unquotedName(name);
    const std::string table = objectIdTable(written, state.databaseName);
    BulkTable out;
    if (!table.empty()) {
        StoredNames lookup(&state.database.names());
        out.stored = lookup.storedFor(table);
    }
    sqlite3* db = state.database.handle();
    if (table.empty() || !readLockScheme(db, out) || !readColumns(db, out)) {
        *error = aseMessageFor("no such table: " + written, written);
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> insertBulkTarget(std::string_view batch)
{
    const std::vector<std::string_view> words = wordsOf(batch);
    if (words.size() != 3 || !sameWord(words[0], "insert") || !sameWord(words[1], "bulk"))
        return std::nullopt;
    return std::string(words[2]);
}

std::optional<std::string> formatOnlyTarget(std::string_view batch)
{
    const std::vector<std::string_view> w = wordsOf(batch);
    constexpr std::string_view pattern[] = {"set",  "fmtonly", "on",  "select",  "*",
                                            "from", "",        "set", "fmtonly", "off"};
    if (w.size() != std::size(pattern))
        return std::nullopt;
    for (size_t i = 0; i < w.size(); ++i)
        if (!pattern[i].empty() && !sameWord(w[i], pattern[i]))
            return std::nullopt;
    return std::string(w[6]);
}

} // namespace sandbox
