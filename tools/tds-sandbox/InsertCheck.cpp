#include "InsertCheck.h"

#include "ObjectNames.h"
#include "SqlLexer.h"
#include "ValueCheck.h"

#include <cctype>

namespace sandbox {

namespace {
bool startsWithInsert(std::string_view statement)
{
    size_t at = 0;
    while (at < statement.size() && std::isspace(static_cast<unsigned char>(statement[at])))
        ++at;
    return lowerAscii(statement.substr(at, 6)) == "insert";
}

// A value's tokens: `count` significant tokens from `first`.
struct ValueTokens
{
    const SqlToken* const* first = nullptr;
    size_t count = 0;
    size_t size() const { return count; }
    const SqlToken* operator[](size_t i) const { return first[i]; }
};

// The literal a value's tokens are, when they are one.
LiteralValue literalOf(const ValueTokens& tokens)
{
    LiteralValue value;
    if (tokens.size() == 1) {
        const SqlToken& t = *tokens[0];
        if (t.kind == SqlToken::String)
            value = {LiteralValue::String, t.text};
        else if (t.kind == SqlToken::Number)
            value = {LiteralValue::Number, t.text};
        else if (t.is("null"))
            value.kind = LiteralValue::Null;
    } else if (tokens.size() == 2 && (tokens[0]->text == "-" || tokens[0]->text == "+") &&
               tokens[1]->kind == SqlToken::Number &&
               tokens[0]->text.data() + 1 == tokens[1]->text.data()) {
        value = {LiteralValue::Number,
                 std::string_view(tokens[0]->text.data(), tokens[1]->text.size() + 1)};
    }
    return value;
}

// Walks the significant tokens of an INSERT statement.
class InsertReader
{
public:
    explicit InsertReader(const std::vector<SqlToken>& tokens)
    {
        m_tokens.reserve(tokens.size());
        for (const SqlToken& t : tokens)
            if (t.isSignificant())
                m_tokens.push_back(&t);
    }

    // The table's name (its last part) and the column list, if any; false when the statement
    // is no INSERT ... VALUES.
    bool readHead(std::string* table, std::vector<std::string>* columns)
    {
        if (!is("insert"))
            return false;
        ++m_at;
        if (is("into"))
            ++m_at;
        while (isName()) {
            *table = nameOf(*m_tokens[m_at++]);
            if (!isSymbol("."))
                break;
            while (isSymbol("."))
                ++m_at; // db..table, db.owner.table
        }
        if (isSymbol("(")) {
            ++m_at;
            while (isName()) {
                columns->push_back(nameOf(*m_tokens[m_at++]));
                if (!isSymbol(","))
                    break;
                ++m_at;
            }
            if (!isSymbol(")"))
                return false;
            ++m_at;
        }
        if (table->empty() || !is("values"))
            return false;
        ++m_at;
        return true;
    }

    // The next row's values, each as its tokens; false after the last row.
    bool readRow(std::vector<ValueTokens>* values)
    {
        values->clear();
        if (!isSymbol("("))
            return false;
        ++m_at;
        values->push_back({m_tokens.data() + m_at, 0});
        int depth = 0;
        for (; m_at < m_tokens.size(); ++m_at) {
            const SqlToken& t = *m_tokens[m_at];
            if (depth == 0 && t.text == ")")
                break;
            if (depth == 0 && t.text == ",") {
                values->push_back({m_tokens.data() + m_at + 1, 0});
                continue;
            }
            depth += t.text == "(" ? 1 : t.text == ")" ? -1 : 0;
            ++values->back().count;
        }
        if (m_at >= m_tokens.size())
            return false;
        ++m_at;
        if (isSymbol(","))
            ++m_at;
        return true;
    }

private:
    bool is(std::string_view word) const
    {
        return m_at < m_tokens.size() && m_tokens[m_at]->is(word);
    }
    bool isSymbol(std::string_view s) const
    {
        return m_at < m_tokens.size() && m_tokens[m_at]->text == s;
    }
    bool isName() const
    {
        return m_at < m_tokens.size() && (m_tokens[m_at]->kind == SqlToken::Word ||
                                          m_tokens[m_at]->kind == SqlToken::QuotedName);
    }

    std::vector<const SqlToken*> m_tokens;
    size_t m_at = 0;
};

// The columns the values go to, in order: those listed, or all of the table's.
std::vector<const AseType*> targetTypes(const std::vector<TypedColumn>& table,
                                        const std::vector<std::string>& listed)
{
    std::vector<const AseType*> types;
    types.reserve(listed.empty() ? table.size() : listed.size());
    if (listed.empty()) {
        for (const TypedColumn& column : table)
            types.push_back(&column.type);
        return types;
    }
    for (const std::string& name : listed) {
        const AseType* type = nullptr;
        for (const TypedColumn& column : table)
            if (column.name == name)
                type = &column.type;
        types.push_back(type); // an unknown column is SQLite's to report
    }
    return types;
}

std::string spliced(std::string_view statement,
                    const std::vector<std::pair<std::string_view, std::string>>& replacements)
{
    std::string out;
    const char* at = statement.data();
    for (const auto& [literal, replacement] : replacements) {
        out.append(at, literal.data());
        out += replacement;
        at = literal.data() + literal.size();
    }
    out.append(at, statement.data() + statement.size());
    return out;
}
} // namespace

InsertCheck checkInsert(std::string_view statement, const std::vector<SqlToken>& tokens,
                        const TypedColumnsOf& columnsOf, const ValueRules& rules)
{
    if (!startsWithInsert(statement))
        return {};
    InsertReader reader(tokens);
    std::string table;
    std::vector<std::string> listed;
    if (!reader.readHead(&table, &listed))
        return {};
    const std::vector<TypedColumn>* columns = columnsOf(table);
    if (!columns)
        return {};
    const std::vector<const AseType*> types = targetTypes(*columns, listed);
    std::vector<std::pair<std::string_view, std::string>> replacements;
    std::vector<ValueTokens> values;
    values.reserve(types.size());
    InsertCheck check;
    while (reader.readRow(&values)) {
        for (size_t i = 0; i < values.size() && i < types.size(); ++i) {
            if (!types[i])
                continue;
            const LiteralValue literal = literalOf(values[i]);
            ValueVerdict verdict = checkValue(literal, *types[i], rules);
            if (verdict.error) {
                check.error = std::move(verdict.error);
                return check;
            }
            if (!verdict.replacement.empty())
                replacements.emplace_back(literal.text, std::move(verdict.replacement));
        }
    }
    if (!replacements.empty())
        check.rewritten = spliced(statement, replacements);
    return check;
}

} // namespace sandbox
