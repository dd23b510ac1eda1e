#include "StatementSplit.h"

#include "SqlLexer.h"

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
    if (first == "set")
        return false; // "set chained on insert ...": the option's "on" binds nothing
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
        // Only the first select is the insert's source; another one is a new statement.
        for (const SqlToken* t : current.words)
            if (t->is("values") || t->is("select"))
                return false;
        return true;
    }
    if (next == "set" && (first == "update" || first == "alter"))
        return true;
    if (next == "drop" && first == "alter")
        return true;
    return false;
}

} // namespace

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

std::vector<BatchStatement> splitBatch(std::string_view batch)
{
    std::vector<BatchStatement> out;
    const std::vector<SqlToken> tokens = lexSql(batch);
    Statement current;
    size_t start = 0;
    size_t linesCounted = 0; // newlines before `countedUpTo`
    size_t countedUpTo = 0;
    int depth = 0;
    // `end` is where the text ends, `receivedEnd` where the client's statement ends.
    auto finish = [&](size_t end, size_t receivedEnd) {
        const std::string_view piece = trimmed(batch.substr(start, end - start));
        if (!piece.empty() && !current.words.empty()) {
            const size_t at = size_t(piece.data() - batch.data());
            for (; countedUpTo < at; ++countedUpTo)
                linesCounted += batch[countedUpTo] == '\n';
            out.push_back({piece, batch.substr(at, receivedEnd - at), int(linesCounted + 1)});
        }
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
            finish(here, offset);
            start = offset;
            continue;
        }
        if (depth == 0 && t.kind == SqlToken::Word && statementStarters.count(lowerAscii(t.text)) &&
            !continuesStatement(current, t)) {
            finish(here, here);
            start = here;
        }
        if (depth == 0)
            current.words.push_back(&t);
    }
    finish(batch.size(), batch.size());
    return out;
}

} // namespace sandbox
