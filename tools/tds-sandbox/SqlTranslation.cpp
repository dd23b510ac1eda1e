#include "SqlTranslation.h"

#include "SqlLexer.h"

#include <array>
#include <map>
#include <set>

namespace sandbox {

namespace {
std::string quoted(std::string_view text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

const std::map<std::string, std::string, std::less<>> renamedFunctions = {
    {"isnull", "ifnull"}, {"len", "length"}, {"char_length", "length"}, {"datalength", "length"}};

// The items of CREATE TABLE's list: columns and table constraints.
struct CreateTableItem
{
    bool isColumn = false;
    bool declaresNullMode = false; // NULL, NOT NULL or IDENTITY written
    size_t lastToken = 0;
};

std::vector<CreateTableItem> createTableItems(const std::vector<SqlToken>& tokens)
{
    std::vector<CreateTableItem> items;
    std::vector<size_t> significant;
    for (size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].isSignificant())
            significant.push_back(i);
    if (significant.size() < 4 || !tokens[significant[0]].is("create") ||
        !tokens[significant[1]].is("table"))
        return items;
    size_t open = 0;
    for (size_t k = 2; k < significant.size(); ++k) {
        if (tokens[significant[k]].text == "(") {
            open = significant[k];
            break;
        }
        if (tokens[significant[k]].is("as"))
            return items;
    }
    if (!open)
        return items;
    int depth = 0;
    bool started = false;
    CreateTableItem item;
    item.lastToken = open;
    for (size_t i = open + 1; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (!t.isSignificant())
            continue;
        if (depth == 0 && (t.text == "," || t.text == ")")) {
            if (started)
                items.push_back(item);
            if (t.text == ")")
                break;
            started = false;
            item = CreateTableItem{};
            continue;
        }
        if (!started) {
            started = true;
            item.isColumn = !(t.is("constraint") || t.is("primary") || t.is("unique") ||
                              t.is("check") || t.is("foreign") || t.is("index"));
        }
        if (t.text == "(")
            ++depth;
        else if (t.text == ")")
            --depth;
        else if (depth == 0 && (t.is("null") || t.is("identity")))
            item.declaresNullMode = true;
        item.lastToken = i;
    }
    return items;
}

// Positions (token indexes) in CREATE TABLE's column list where " NOT NULL" goes.
std::set<size_t> nullModeInsertions(const std::vector<SqlToken>& tokens)
{
    std::set<size_t> at;
    for (const CreateTableItem& item : createTableItems(tokens))
        if (item.isColumn && !item.declaresNullMode)
            at.insert(item.lastToken + 1);
    return at;
}

std::string upperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Objects whose CREATE and DROP need "ddl in tran" inside a transaction.
const std::set<std::string, std::less<>> ddlObjects = {
    "default", "index", "procedure", "proc", "rule", "schema", "table", "trigger", "view"};

bool isGlobalVariable(const SqlToken& t)
{
    return t.kind == SqlToken::Word && t.text.size() > 2 && t.text[0] == '@' && t.text[1] == '@';
}

std::string globalValue(const SqlToken& t, const SessionGlobals& g)
{
    const std::string name = lowerAscii(t.text);
    if (name == "@@spid")
        return std::to_string(g.spid);
    if (name == "@@rowcount")
        return std::to_string(g.rowCount);
    if (name == "@@error")
        return std::to_string(g.error);
    if (name == "@@trancount")
        return std::to_string(g.tranCount);
    if (name == "@@identity")
        return "last_insert_rowid()";
    if (name == "@@version")
        return quoted("Adaptive Server Enterprise/16.0 tds-sandbox (SQLite)");
    if (name == "@@servername")
        return quoted("sandbox");
    return std::string(t.text);
}
} // namespace

std::string_view overlongName(std::string_view statement, size_t* limit)
{
    constexpr size_t Plain = 255, Delimited = 253;
    for (const SqlToken& t : lexSql(statement)) {
        if (t.kind == SqlToken::Word && t.text.size() > Plain) {
            *limit = Plain;
            return t.text;
        }
        if (t.kind == SqlToken::QuotedName && t.text.size() > Delimited + 2) {
            const std::string_view inner = t.text.substr(1, t.text.size() - 2);
            if (inner.size() > Delimited) {
                *limit = Delimited;
                return inner;
            }
        }
    }
    return {};
}

std::string unquoteName(std::string_view name)
{
    name = trimmed(name);
    if (name.size() >= 2 && ((name.front() == '[' && name.back() == ']') ||
                             (name.front() == '"' && name.back() == '"')))
        name = name.substr(1, name.size() - 2);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    return std::string(name);
}

Translation classify(std::string_view statement)
{
    const std::vector<SqlToken> tokens = lexSql(statement);
    std::vector<const SqlToken*> words;
    for (const SqlToken& t : tokens)
        if (t.isSignificant())
            words.push_back(&t);
    Translation result;
    if (words.empty()) {
        result.kind = Translation::Ignored;
        return result;
    }
    auto word = [&](size_t k) -> const SqlToken* { return k < words.size() ? words[k] : nullptr; };
    auto is = [&](size_t k, std::string_view keyword) { return word(k) && word(k)->is(keyword); };
    const SqlToken& first = *words[0];

    if (first.is("use") && word(1)) {
        result.kind = Translation::Use;
        result.database = unquoteName(word(1)->text);
        result.neverInTransaction = "USE";
        return result;
    }
    if (first.is("create") && is(1, "database") && word(2)) {
        result.kind = Translation::CreateDatabase;
        result.database = unquoteName(word(2)->text);
        result.neverInTransaction = "CREATE DATABASE";
        return result;
    }
    if (first.is("set")) {
        if (is(1, "chained") && (is(2, "on") || is(2, "off"))) {
            result.kind = Translation::SetChained;
            result.chainedOn = is(2, "on");
            return result;
        }
        // Other session options (textsize, nocount ...) have no SQLite counterpart.
        result.kind = Translation::Ignored;
        return result;
    }
    if (first.is("begin") || first.is("commit") || first.is("rollback")) {
        if (!word(1) || is(1, "tran") || is(1, "transaction") || is(1, "work")) {
            result.kind = first.is("begin")    ? Translation::BeginTran
                          : first.is("commit") ? Translation::CommitTran
                                               : Translation::RollbackTran;
            return result;
        }
    }
    result.beginsChainedTransaction =
        first.is("select") || first.is("insert") || first.is("update") || first.is("delete");
    if (first.is("create") || first.is("drop")) {
        size_t k = 1;
        while (first.is("create") &&
               (is(k, "unique") || is(k, "clustered") || is(k, "nonclustered")))
            ++k;
        if (word(k) && word(k)->kind == SqlToken::Word) {
            const std::string object = lowerAscii(word(k)->text);
            if (object == "database")
                result.neverInTransaction = upperAscii(first.text) + " DATABASE";
            else if (ddlObjects.count(object))
                result.ddlCommand = upperAscii(first.text) + " " +
                                    upperAscii(object == "proc" ? "procedure" : object);
        }
    } else if (first.is("grant") || first.is("revoke")) {
        result.ddlCommand = upperAscii(first.text);
    } else if (first.is("alter") || first.is("truncate")) {
        result.neverInTransaction =
            upperAscii(first.text) + (word(1) ? " " + upperAscii(word(1)->text) : std::string());
    }
    if (first.is("create") && is(1, "table"))
        for (const CreateTableItem& item : createTableItems(tokens))
            result.createdColumns += item.isColumn ? 1 : 0;
    return result;
}

namespace {
// A string literal whose value passes this many bytes is cut to it, as ASE keeps no more of a
// value written in a statement (longer ones need writetext), and says nothing about it.
constexpr size_t MaxLiteralBytes = 16384;

// The literal 'text' (apostrophes doubled inside) cut to MaxLiteralBytes bytes of value, or
// empty when it is not that long.
std::string cutLiteral(std::string_view literal)
{
    if (literal.size() < MaxLiteralBytes + 2 || literal.front() != '\'' || literal.back() != '\'')
        return {}; // short, or not closed: left for the statement's own error
    std::string cut = "'";
    size_t valueBytes = 0;
    for (size_t i = 1; i + 1 < literal.size() && valueBytes < MaxLiteralBytes; ++i, ++valueBytes) {
        cut += literal[i];
        if (literal[i] == '\'') { // a doubled apostrophe is one byte of the value
            cut += '\'';
            ++i;
        }
    }
    if (valueBytes < MaxLiteralBytes)
        return {};
    return cut + "'";
}
} // namespace

Translation translate(std::string_view statement, const SessionGlobals& globals,
                      const StoredNames* names)
{
    Translation result = classify(statement);
    if (result.kind != Translation::Sql)
        return result;
    const std::vector<SqlToken> tokens = lexSql(statement);

    size_t firstSignificant = 0;
    while (firstSignificant < tokens.size() && !tokens[firstSignificant].isSignificant())
        ++firstSignificant;
    const std::set<size_t> notNullAt = nullModeInsertions(tokens);
    const bool definesColumns =
        firstSignificant < tokens.size() &&
        (tokens[firstSignificant].is("create") || tokens[firstSignificant].is("alter"));
    StoredNames statementNames(names);
    std::string sql;
    sql.reserve(statement.size() + 16);
    const SqlToken* previous = nullptr;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (notNullAt.count(i))
            sql += " NOT NULL";
        const SqlToken& t = tokens[i];
        const SqlToken* next = nullptr;
        size_t nextIndex = i + 1;
        while (nextIndex < tokens.size() && !tokens[nextIndex].isSignificant())
            ++nextIndex;
        if (nextIndex < tokens.size())
            next = &tokens[nextIndex];
        if (t.kind == SqlToken::String && t.text == "''") {
            sql += "' '"; // ASE has no empty string: '' is one blank
        } else if (std::string cut = t.kind == SqlToken::String ? cutLiteral(t.text) : "";
                   !cut.empty()) {
            sql += cut;
        } else if (isGlobalVariable(t)) {
            sql += globalValue(t, globals);
        } else if (t.is("dbo") && next && next->text == "." &&
                   !(previous && previous->text == ".")) {
            i = nextIndex; // owner prefix: SQLite would read it as a schema name
            continue;
        } else if (t.is("truncate") && i == firstSignificant && next && next->is("table")) {
            sql += "delete from"; // SQLite has no TRUNCATE; the table is emptied the same
            i = nextIndex;
            previous = next;
            continue;
        } else if (t.kind == SqlToken::Word && next && next->text == "(" &&
                   renamedFunctions.count(lowerAscii(t.text))) {
            sql += renamedFunctions.find(lowerAscii(t.text))->second;
        } else if (t.is("getdate") && next && next->text == "(") {
            sql += "datetime('now','localtime'";
            // skip "(" and whitespace up to ")" so the closing paren is kept
            i = nextIndex;
            size_t k = i + 1;
            while (k < tokens.size() && !tokens[k].isSignificant())
                ++k;
            if (k < tokens.size() && tokens[k].text == ")")
                i = k - 1;
            else
                sql += ",";
            previous = &tokens[nextIndex];
            continue;
        } else if (names && isObjectName(t, previous, next, definesColumns)) {
            sql += storedNameText(t, statementNames);
        } else {
            sql += t.text;
        }
        if (t.isSignificant())
            previous = &t;
    }
    if (notNullAt.count(tokens.size()))
        sql += " NOT NULL";
    result.sql = std::move(sql);
    return result;
}

} // namespace sandbox
