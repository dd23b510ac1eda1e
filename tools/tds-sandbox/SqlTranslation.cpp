#include "SqlTranslation.h"

#include "CreateTableItems.h"
#include "LockScheme.h"
#include "SqlLexer.h"

#include <map>
#include <set>
#include <span>

namespace sandbox {

namespace {

const std::map<std::string, std::string, std::less<>> renamedFunctions = {
    {"isnull", "ifnull"}, {"len", "length"}, {"char_length", "length"}, {"datalength", "length"}};

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
        return quotedSql("Adaptive Server Enterprise/16.0 tds-sandbox (SQLite)", '\'');
    if (name == "@@servername")
        return quotedSql("sandbox", '\'');
    // The sandbox keeps rows within the limits of a server of 2K pages, ASE's smallest.
    if (name == "@@maxpagesize")
        return "2048";
    return std::string(t.text);
}

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

// Whether a statement names one of ASE's catalogue views: their columns' names then mean theirs.
bool readsCatalogue(const std::vector<SqlToken>& tokens)
{
    for (const SqlToken& t : tokens)
        if (t.kind == SqlToken::Word && t.text.size() >= 8 && t.text.size() <= 10 &&
            (t.is("syscolumns") || t.is("systypes") || t.is("sysobjects")))
            return true;
    return false;
}

// Writes a statement's tokens out for SQLite, token by token; a rewrite may take the tokens
// after its own too.
class Rewriter
{
public:
    Rewriter(const std::vector<SqlToken>& tokens, const SessionGlobals& globals,
             const StoredNames* names)
        : m_tokens(tokens), m_globals(globals), m_names(names), m_statementNames(names),
          m_notNullAt(nullModeInsertions(tokens))
    {
        while (m_first < tokens.size() && !tokens[m_first].isSignificant())
            ++m_first;
        m_definesColumns = m_first < tokens.size() &&
                           (tokens[m_first].is("create") || tokens[m_first].is("alter"));
        if (names && readsCatalogue(tokens))
            for (const char* column : {"id", "name", "colid", "usertype", "length", "prec", "scale",
                                       "status", "type", "uid"})
                m_statementNames.addCatalogueName(column);
    }

    std::string rewrite(size_t sizeHint);

private:
    enum class Written
    {
        Nothing, // the rewrite does not apply to this token
        Token,   // the token, rewritten
        Span,    // the token and some after it; the rewrite moved on itself
    };
    using Rewrite = Written (Rewriter::*)(const SqlToken& t);

    void findNext();
    size_t significantAfter(size_t index) const;
    bool isNameAt(size_t index) const;
    bool isDotAt(size_t index) const;
    Written writeToken(const SqlToken& t);
    Written emptyString(const SqlToken& t);
    Written longLiteral(const SqlToken& t);
    Written globalVariable(const SqlToken& t);
    Written ownerPrefix(const SqlToken& t);
    Written truncateTable(const SqlToken& t);
    Written renamedFunction(const SqlToken& t);
    Written currentDate(const SqlToken& t);
    Written objectName(const SqlToken& t);

    const std::vector<SqlToken>& m_tokens;
    const SessionGlobals& m_globals;
    const StoredNames* m_names;
    StoredNames m_statementNames;
    const std::set<size_t> m_notNullAt;
    size_t m_first = 0; // the first significant token
    bool m_definesColumns = false;
    std::string m_sql;
    size_t m_index = 0;                   // the token in hand
    size_t m_nextIndex = 0;               // the significant token after it, or the end
    const SqlToken* m_next = nullptr;     // that token, when there is one
    const SqlToken* m_previous = nullptr; // the last significant token written
};

std::string Rewriter::rewrite(size_t sizeHint)
{
    m_sql.reserve(sizeHint);
    for (m_index = 0; m_index < m_tokens.size(); ++m_index) {
        if (m_notNullAt.count(m_index))
            m_sql += " NOT NULL";
        findNext();
        const SqlToken& t = m_tokens[m_index];
        if (writeToken(t) == Written::Token && t.isSignificant())
            m_previous = &t;
    }
    if (m_notNullAt.count(m_tokens.size()))
        m_sql += " NOT NULL";
    return std::move(m_sql);
}

void Rewriter::findNext()
{
    m_nextIndex = m_index + 1;
    while (m_nextIndex < m_tokens.size() && !m_tokens[m_nextIndex].isSignificant())
        ++m_nextIndex;
    m_next = m_nextIndex < m_tokens.size() ? &m_tokens[m_nextIndex] : nullptr;
}

Rewriter::Written Rewriter::writeToken(const SqlToken& t)
{
    // Most tokens of a row's INSERT are values, commas and blanks: only the rewrites that can
    // apply to a token's kind are tried.
    static constexpr Rewrite forStrings[] = {&Rewriter::emptyString, &Rewriter::longLiteral};
    static constexpr Rewrite forNames[] = {&Rewriter::globalVariable, &Rewriter::ownerPrefix,
                                           &Rewriter::truncateTable,  &Rewriter::renamedFunction,
                                           &Rewriter::currentDate,    &Rewriter::objectName};
    std::span<const Rewrite> rewrites;
    if (t.kind == SqlToken::String)
        rewrites = forStrings;
    else if (t.kind == SqlToken::Word || t.kind == SqlToken::QuotedName)
        rewrites = forNames;
    for (Rewrite rewrite : rewrites)
        if (const Written written = (this->*rewrite)(t); written != Written::Nothing)
            return written;
    m_sql += t.text;
    return Written::Token;
}

Rewriter::Written Rewriter::emptyString(const SqlToken& t)
{
    if (t.kind != SqlToken::String || t.text != "''")
        return Written::Nothing;
    m_sql += "' '"; // ASE has no empty string: '' is one blank
    return Written::Token;
}

Rewriter::Written Rewriter::longLiteral(const SqlToken& t)
{
    if (t.kind != SqlToken::String)
        return Written::Nothing;
    const std::string cut = cutLiteral(t.text);
    if (cut.empty())
        return Written::Nothing;
    m_sql += cut;
    return Written::Token;
}

Rewriter::Written Rewriter::globalVariable(const SqlToken& t)
{
    if (!isGlobalVariable(t))
        return Written::Nothing;
    m_sql += globalValue(t, m_globals);
    return Written::Token;
}

size_t Rewriter::significantAfter(size_t index) const
{
    size_t k = index + 1;
    while (k < m_tokens.size() && !m_tokens[k].isSignificant())
        ++k;
    return k;
}

bool Rewriter::isNameAt(size_t index) const
{
    return index < m_tokens.size() &&
           (m_tokens[index].kind == SqlToken::Word || m_tokens[index].kind == SqlToken::QuotedName);
}

bool Rewriter::isDotAt(size_t index) const
{
    return index < m_tokens.size() && m_tokens[index].text == ".";
}

Rewriter::Written Rewriter::ownerPrefix(const SqlToken& t)
{
    if (!m_next || m_next->text != "." || (m_previous && m_previous->text == "."))
        return Written::Nothing;
    // db..table and db.owner.table: the last dot is where the table's name begins.
    const size_t afterDot = significantAfter(m_nextIndex);
    size_t lastDot = 0;
    if (isDotAt(afterDot))
        lastDot = afterDot;
    else if (isNameAt(afterDot) && isDotAt(significantAfter(afterDot)))
        lastDot = significantAfter(afterDot);
    if (lastDot) {
        if (nameOf(t) != m_globals.database) // SQLite reads it as a schema it does not have
            m_sql += std::string(t.text) + ".";
        m_index = lastDot; // the table's name keeps the keyword before the prefix as its own
        return Written::Span;
    }
    if (!t.is("dbo"))
        return Written::Nothing;
    m_index = m_nextIndex; // owner prefix: SQLite would read it as a schema name
    return Written::Span;
}

Rewriter::Written Rewriter::truncateTable(const SqlToken& t)
{
    if (!t.is("truncate") || m_index != m_first || !m_next || !m_next->is("table"))
        return Written::Nothing;
    m_sql += "delete from"; // SQLite has no TRUNCATE; the table is emptied the same
    m_index = m_nextIndex;
    m_previous = m_next;
    return Written::Span;
}

Rewriter::Written Rewriter::renamedFunction(const SqlToken& t)
{
    if (t.kind != SqlToken::Word || !m_next || m_next->text != "(")
        return Written::Nothing;
    const auto renamed = renamedFunctions.find(lowerAscii(t.text));
    if (renamed == renamedFunctions.end())
        return Written::Nothing;
    m_sql += renamed->second;
    return Written::Token;
}

Rewriter::Written Rewriter::currentDate(const SqlToken& t)
{
    if (!t.is("getdate") || !m_next || m_next->text != "(")
        return Written::Nothing;
    m_sql += "datetime('now','localtime'";
    // skip "(" and whitespace up to ")" so the closing paren is kept
    const size_t open = m_nextIndex;
    m_index = open;
    size_t k = open + 1;
    while (k < m_tokens.size() && !m_tokens[k].isSignificant())
        ++k;
    if (k < m_tokens.size() && m_tokens[k].text == ")")
        m_index = k - 1;
    else
        m_sql += ",";
    m_previous = &m_tokens[open];
    return Written::Span;
}

Rewriter::Written Rewriter::objectName(const SqlToken& t)
{
    if (!m_names || !isObjectName(t, m_previous, m_next, m_definesColumns))
        return Written::Nothing;
    m_sql += storedNameText(t, m_statementNames);
    return Written::Token;
}
} // namespace

Translation translate(std::string_view statement, const SessionGlobals& globals,
                      const StoredNames* names)
{
    Translation result = classify(statement);
    if (result.kind != Translation::Sql)
        return result;
    const std::vector<SqlToken> tokens = lexSql(statement);
    result.sql = Rewriter(tokens, globals, names).rewrite(statement.size() + 16);
    if (result.createdColumns > 0)
        result.sql = keepLockScheme(std::move(result.sql));
    return result;
}

Translation translate(std::string_view statement, const std::vector<SqlToken>& tokens,
                      const SessionGlobals& globals, const StoredNames* names)
{
    Translation result = classify(statement);
    if (result.kind == Translation::Sql)
        result.sql = Rewriter(tokens, globals, names).rewrite(statement.size() + 16);
    if (result.createdColumns > 0)
        result.sql = keepLockScheme(std::move(result.sql));
    return result;
}

} // namespace sandbox
