#include "CreateTableItems.h"
#include "LockScheme.h"
#include "SqlTranslation.h"

#include <set>

namespace sandbox {

namespace {
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

// The first significant tokens of a statement, by position: all that tells what it is. Kept
// in place, as every statement of a batch is read through them.
class Words
{
public:
    explicit Words(const std::vector<SqlToken>& tokens)
    {
        for (const SqlToken& t : tokens) {
            if (!t.isSignificant())
                continue;
            m_words[m_count++] = &t;
            if (m_count == Kept)
                break;
        }
    }

    bool empty() const { return m_count == 0; }
    const SqlToken& first() const { return *m_words[0]; }
    const SqlToken* at(size_t k) const { return k < m_count ? m_words[k] : nullptr; }
    bool is(size_t k, std::string_view keyword) const { return at(k) && at(k)->is(keyword); }

private:
    static constexpr size_t Kept = 4;
    const SqlToken* m_words[Kept] = {};
    size_t m_count = 0;
};

// A statement the session handles itself rather than SQLite. Each reader recognises one kind
// by its first words; false leaves the statement to the next.
using SessionStatementReader = bool (*)(const Words& words, Translation& result);

bool readUse(const Words& words, Translation& result)
{
    if (!words.is(0, "use") || !words.at(1))
        return false;
    result.kind = Translation::Use;
    result.database = unquoteName(words.at(1)->text);
    result.neverInTransaction = "USE";
    return true;
}

bool readCreateDatabase(const Words& words, Translation& result)
{
    if (!words.is(0, "create") || !words.is(1, "database") || !words.at(2))
        return false;
    result.kind = Translation::CreateDatabase;
    result.database = unquoteName(words.at(2)->text);
    result.neverInTransaction = "CREATE DATABASE";
    return true;
}

bool readSet(const Words& words, Translation& result)
{
    if (!words.is(0, "set"))
        return false;
    if (words.is(1, "chained") && (words.is(2, "on") || words.is(2, "off"))) {
        result.kind = Translation::SetChained;
        result.chainedOn = words.is(2, "on");
        return true;
    }
    if (words.is(1, "string_rtruncation") && (words.is(2, "on") || words.is(2, "off"))) {
        result.kind = Translation::SetStringRtruncation;
        result.stringRtruncationOn = words.is(2, "on");
        return true;
    }
    // Other session options (textsize, nocount ...) have no SQLite counterpart.
    result.kind = Translation::Ignored;
    return true;
}

bool readTransactionControl(const Words& words, Translation& result)
{
    static const std::pair<std::string_view, Translation::Kind> verbs[] = {
        {"begin", Translation::BeginTran},
        {"commit", Translation::CommitTran},
        {"rollback", Translation::RollbackTran}};
    const bool plain =
        !words.at(1) || words.is(1, "tran") || words.is(1, "transaction") || words.is(1, "work");
    for (const auto& [verb, kind] : verbs)
        if (words.is(0, verb) && plain) {
            result.kind = kind;
            return true;
        }
    return false;
}

// CREATE or DROP of an object: a database is never allowed in a transaction, the objects of
// ddlObjects only with "ddl in tran".
void readCreateOrDrop(const Words& words, Translation& result)
{
    const SqlToken& verb = words.first();
    size_t k = 1;
    while (verb.is("create") &&
           (words.is(k, "unique") || words.is(k, "clustered") || words.is(k, "nonclustered")))
        ++k;
    const SqlToken* object = words.at(k);
    if (!object || object->kind != SqlToken::Word)
        return;
    const std::string name = lowerAscii(object->text);
    if (name == "database")
        result.neverInTransaction = upperAscii(verb.text) + " DATABASE";
    else if (ddlObjects.count(name))
        result.ddlCommand =
            upperAscii(verb.text) + " " + upperAscii(name == "proc" ? "procedure" : name);
}

// What ASE refuses inside a transaction, read from the statement's first words.
void readTransactionLimits(const Words& words, Translation& result)
{
    const SqlToken& verb = words.first();
    if (verb.is("create") || verb.is("drop"))
        readCreateOrDrop(words, result);
    else if (verb.is("grant") || verb.is("revoke"))
        result.ddlCommand = upperAscii(verb.text);
    else if (verb.is("alter") || verb.is("truncate")) {
        // Appended piece by piece: GCC's overlap check misreads a + chain here at -O3.
        std::string command = upperAscii(verb.text);
        if (words.at(1)) {
            command += ' ';
            command += upperAscii(words.at(1)->text);
        }
        result.neverInTransaction = std::move(command);
    }
}

bool beginsChainedTransaction(const SqlToken& verb)
{
    return verb.is("select") || verb.is("insert") || verb.is("update") || verb.is("delete");
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

namespace {
void readCreatedColumns(std::string_view statement, const std::vector<SqlToken>& tokens,
                        Translation& result)
{
    size_t variable = 0;
    for (const CreateTableItem& item : createTableItems(tokens)) {
        result.createdColumns += item.isColumn ? 1 : 0;
        variable += item.isVariableLength() ? 1 : 0;
    }
    if (sysstat2Of(keepLockScheme(std::string(statement))) == Sysstat2Allpages)
        result.allpagesVariableColumns = variable;
}
} // namespace

Translation classify(std::string_view statement)
{
    const std::vector<SqlToken> tokens = lexSql(statement);
    const Words words(tokens);
    Translation result;
    if (words.empty()) {
        result.kind = Translation::Ignored;
        return result;
    }
    for (SessionStatementReader read :
         {readUse, readCreateDatabase, readSet, readTransactionControl})
        if (read(words, result))
            return result;
    result.beginsChainedTransaction = beginsChainedTransaction(words.first());
    readTransactionLimits(words, result);
    if (words.is(0, "create") && words.is(1, "table"))
        readCreatedColumns(statement, tokens, result);
    return result;
}

} // namespace sandbox
