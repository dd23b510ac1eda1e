#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

// One piece of a Transact-SQL text. Spans point into the text that was lexed.
struct SqlToken
{
    enum Kind
    {
        Space,
        Comment,
        Word,
        Number,
        String,
        QuotedName,
        Symbol
    };
    Kind kind;
    std::string_view text;

    bool isSignificant() const { return kind != Space && kind != Comment; }
    // Case-insensitive keyword comparison for Word tokens.
    bool is(std::string_view keyword) const;
};

// Splits a text into tokens. Never fails: an unterminated string or comment runs to the end.
std::vector<SqlToken> lexSql(std::string_view text);

std::string lowerAscii(std::string_view text);

// text enclosed in quote, each quote inside doubled: how SQL writes a literal ('), a name (").
std::string quotedSql(std::string_view text, char quote);

} // namespace sandbox
