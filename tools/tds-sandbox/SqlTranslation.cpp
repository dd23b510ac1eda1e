#include "SqlTranslation.h"

#include "SqlLexer.h"

#include <array>
#include <map>
#include <set>

namespace sandbox {

namespace {
const std::set<std::string, std::less<>> statementStarters = {
    "alter", "begin",    "checkpoint", "commit",  "create",   "declare", "delete",
    "drop",  "dump",     "exec",       "execute", "grant",    "if",      "insert",
    "load",  "print",    "return",     "revoke",  "rollback", "save",    "select",
    "set",   "truncate", "update",     "use",     "waitfor",  "while"};

// After these words a statement keyword belongs to the statement ("on delete", "union select").
const std::set<std::string, std::less<>> bindingWords = {
    "on", "for", "of", "instead", "before", "after", "union", "all", "except", "intersect", "as"};

struct Statement
{
    std::vector<const SqlToken*> words; // significant tokens at depth 0
};

bool continuesStatement(const Statement& current, const SqlToken& word)
{
    if (current.words.empty())
        return true;
    const std::string first = lowerAscii(current.words.front()->text);
    const std::string next = lowerAscii(word.text);
    const SqlToken& previous = *current.words.back();
    if (previous.kind == SqlToken::Word && bindingWords.count(lowerAscii(previous.text)))
        return true;
    if (first == "create" && current.words.size() >= 2) {
        const std::string what = lowerAscii(current.words[1]->text);
        if (what == "trigger" || what == "procedure" || what == "proc")
            return true; // the rest is the body
    }
    if (first == "grant" || first == "revoke")
        return true;
    if (next == "select" && first == "insert") {
        for (const SqlToken* t : current.words)
            if (t->is("values"))
                return false;
        return true;
    }
    if (next == "set" && (first == "update" || first == "alter"))
        return true;
    if (next == "drop" && first == "alter")
        return true;
    return false;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

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

// Positions (token indexes) in CREATE TABLE's column list where " NOT NULL" goes.
std::set<size_t> nullModeInsertions(const std::vector<SqlToken>& tokens)
{
    std::set<size_t> at;
    std::vector<size_t> significant;
    for (size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].isSignificant())
            significant.push_back(i);
    if (significant.size() < 4 || !tokens[significant[0]].is("create") ||
        !tokens[significant[1]].is("table"))
        return at;
    size_t open = 0;
    for (size_t k = 2; k < significant.size(); ++k) {
        if (tokens[significant[k]].text == "(") {
            open = significant[k];
            break;
        }
        if (tokens[significant[k]].is("as"))
            return at;
    }
    if (!open)
        return at;
    int depth = 0;
    bool columnItem = false, sawNull = false, itemStarted = false;
    size_t lastInItem = open;
    for (size_t i = open + 1; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (!t.isSignificant())
            continue;
        if (depth == 0 && (t.text == "," || t.text == ")")) {
            if (itemStarted && columnItem && !sawNull)
                at.insert(lastInItem + 1);
            if (t.text == ")")
                break;
            itemStarted = columnItem = sawNull = false;
            continue;
        }
        if (!itemStarted) {
            itemStarted = true;
            columnItem = !(t.is("constraint") || t.is("primary") || t.is("unique") ||
                           t.is("check") || t.is("foreign") || t.is("index"));
        }
        if (t.text == "(")
            ++depth;
        else if (t.text == ")")
            --depth;
        else if (depth == 0 && (t.is("null") || t.is("identity")))
            sawNull = true;
        lastInItem = i;
    }
    return at;
}

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
        return g.inTransaction ? "1" : "0";
    if (name == "@@identity")
        return "last_insert_rowid()";
    if (name == "@@version")
        return quoted("Adaptive Server Enterprise/16.0 tds-sandbox (SQLite)");
    if (name == "@@servername")
        return quoted("sandbox");
    return std::string(t.text);
}
} // namespace

std::vector<std::string_view> splitBatch(std::string_view batch)
{
    std::vector<std::string_view> out;
    const std::vector<SqlToken> tokens = lexSql(batch);
    Statement current;
    size_t start = 0;
    int depth = 0;
    auto finish = [&](size_t end) {
        const std::string_view piece = trimmed(batch.substr(start, end - start));
        if (!piece.empty() && !current.words.empty())
            out.push_back(piece);
        current = Statement{};
    };
    size_t offset = 0;
    for (const SqlToken& t : tokens) {
        const size_t here = offset;
        offset += t.text.size();
        if (!t.isSignificant())
            continue;
        if (t.kind == SqlToken::Symbol && t.text == "(")
            ++depth;
        else if (t.kind == SqlToken::Symbol && t.text == ")" && depth > 0)
            --depth;
        if (depth == 0 && t.kind == SqlToken::Symbol && t.text == ";") {
            finish(here);
            start = offset;
            continue;
        }
        if (depth == 0 && t.kind == SqlToken::Word && statementStarters.count(lowerAscii(t.text)) &&
            !continuesStatement(current, t)) {
            finish(here);
            start = here;
        }
        if (depth == 0)
            current.words.push_back(&t);
    }
    finish(batch.size());
    return out;
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

Translation translate(std::string_view statement, const SessionGlobals& globals)
{
    const std::vector<SqlToken> tokens = lexSql(statement);
    std::vector<size_t> words;
    for (size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].isSignificant())
            words.push_back(i);
    Translation result;
    if (words.empty()) {
        result.kind = Translation::Ignored;
        return result;
    }
    const SqlToken& first = tokens[words[0]];
    auto word = [&](size_t k) -> const SqlToken* {
        return k < words.size() ? &tokens[words[k]] : nullptr;
    };

    if (first.is("use") && word(1)) {
        result.kind = Translation::Use;
        result.database = unquoteName(word(1)->text);
        return result;
    }
    if (first.is("create") && word(1) && word(1)->is("database") && word(2)) {
        result.kind = Translation::CreateDatabase;
        result.database = unquoteName(word(2)->text);
        return result;
    }
    // Session options (textsize, nocount, chained ...) have no SQLite counterpart.
    if (first.is("set")) {
        result.kind = Translation::Ignored;
        return result;
    }
    if (first.is("begin") || first.is("commit") || first.is("rollback")) {
        const bool transactionWord =
            !word(1) || word(1)->is("tran") || word(1)->is("transaction") || word(1)->is("work");
        if (transactionWord) {
            result.sql = first.is("begin") ? "BEGIN" : first.is("commit") ? "COMMIT" : "ROLLBACK";
            return result;
        }
    }

    const std::set<size_t> notNullAt = nullModeInsertions(tokens);
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
        } else if (isGlobalVariable(t)) {
            sql += globalValue(t, globals);
        } else if (t.is("dbo") && next && next->text == "." &&
                   !(previous && previous->text == ".")) {
            i = nextIndex; // owner prefix: SQLite would read it as a schema name
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
