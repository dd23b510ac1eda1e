#include "CreateTableItems.h"

namespace sandbox {

namespace {
// The token index of the "(" that opens CREATE TABLE's list, or 0 when there is none. Every
// statement is asked, so anything else is told apart by its first significant tokens alone.
size_t listOpening(const std::vector<SqlToken>& tokens)
{
    size_t seen = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (!t.isSignificant())
            continue;
        ++seen;
        if ((seen == 1 && !t.is("create")) || (seen == 2 && !t.is("table")) || t.is("as"))
            return 0;
        if (seen > 2 && t.text == "(")
            return i;
    }
    return 0;
}

bool beginsConstraint(const SqlToken& t)
{
    for (const char* keyword : {"constraint", "primary", "unique", "check", "foreign", "index"})
        if (t.is(keyword))
            return true;
    return false;
}

bool isVariableType(const SqlToken& t)
{
    for (const char* type : {"varchar", "nvarchar", "univarchar", "varbinary", "text", "unitext",
                             "image", "sysname", "longsysname"})
        if (t.is(type))
            return true;
    return false;
}

// Reads the list item by item: an item ends at a comma or the closing parenthesis outside
// any parentheses of its own.
class ItemReader
{
public:
    explicit ItemReader(size_t open) { m_item.lastToken = open; }

    // False once the list is closed.
    bool take(const SqlToken& t, size_t index)
    {
        if (m_depth == 0 && (t.text == "," || t.text == ")"))
            return endItem(t.text == ")");
        if (!m_started) {
            m_started = true;
            m_item.isColumn = !beginsConstraint(t);
        } else if (m_taken == 1) { // the column's type follows its name
            m_item.variableType = isVariableType(t);
        }
        ++m_taken;
        if (t.text == "(")
            ++m_depth;
        else if (t.text == ")")
            --m_depth;
        else if (m_depth == 0 && (t.is("null") || t.is("identity"))) {
            m_item.declaresNullMode = true;
            m_item.allowsNull = t.is("null") && !m_afterNot;
        }
        m_afterNot = t.is("not");
        m_item.lastToken = index;
        return true;
    }

    std::vector<CreateTableItem> items;

private:
    bool endItem(bool listClosed)
    {
        if (m_started)
            items.push_back(m_item);
        if (listClosed)
            return false;
        m_started = false;
        m_afterNot = false;
        m_taken = 0;
        m_item = CreateTableItem{};
        return true;
    }

    CreateTableItem m_item;
    int m_depth = 0;
    bool m_started = false;
    bool m_afterNot = false;
    size_t m_taken = 0; // significant tokens of the item so far
};
} // namespace

std::vector<CreateTableItem> createTableItems(const std::vector<SqlToken>& tokens)
{
    const size_t open = listOpening(tokens);
    if (!open)
        return {};
    ItemReader reader(open);
    for (size_t i = open + 1; i < tokens.size(); ++i)
        if (tokens[i].isSignificant() && !reader.take(tokens[i], i))
            break;
    return std::move(reader.items);
}

std::set<size_t> nullModeInsertions(const std::vector<SqlToken>& tokens)
{
    std::set<size_t> at;
    for (const CreateTableItem& item : createTableItems(tokens))
        if (item.isColumn && !item.declaresNullMode)
            at.insert(item.lastToken + 1);
    return at;
}

} // namespace sandbox
