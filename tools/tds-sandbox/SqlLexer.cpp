#include "SqlLexer.h"

#include <cctype>

namespace sandbox {

namespace {
bool isWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    // Bytes of UTF-8 sequences count as letters, as ASE accepts them in identifiers.
    return std::isalnum(u) || c == '_' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

size_t endOfQuoted(std::string_view text, size_t start, char close)
{
    size_t i = start + 1;
    while (i < text.size()) {
        if (text[i] == close) {
            // A doubled closing character is an escaped one.
            if (i + 1 < text.size() && text[i + 1] == close && close != ']') {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return text.size();
}
} // namespace

bool SqlToken::is(std::string_view keyword) const
{
    if (kind != Word || text.size() != keyword.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(keyword[i])))
            return false;
    return true;
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string quotedSql(std::string_view text, char quote)
{
    std::string out(1, quote);
    for (char c : text) {
        out += c;
        if (c == quote)
            out += quote;
    }
    return out + quote;
}

std::vector<SqlToken> lexSql(std::string_view text)
{
    std::vector<SqlToken> tokens;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        size_t end = i + 1;
        SqlToken::Kind kind = SqlToken::Symbol;
        if (std::isspace(static_cast<unsigned char>(c))) {
            kind = SqlToken::Space;
            while (end < text.size() && std::isspace(static_cast<unsigned char>(text[end])))
                ++end;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            kind = SqlToken::Comment;
            end = text.find('\n', i);
            end = end == std::string_view::npos ? text.size() : end;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            kind = SqlToken::Comment;
            end = text.find("*/", i + 2);
            end = end == std::string_view::npos ? text.size() : end + 2;
        } else if (c == '\'') {
            kind = SqlToken::String;
            end = endOfQuoted(text, i, '\'');
        } else if (c == '"') {
            kind = SqlToken::QuotedName;
            end = endOfQuoted(text, i, '"');
        } else if (c == '[') {
            kind = SqlToken::QuotedName;
            end = endOfQuoted(text, i, ']');
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            kind = SqlToken::Number;
            while (end < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '.'))
                ++end;
        } else if (isWordChar(c)) {
            kind = SqlToken::Word;
            while (end < text.size() && isWordChar(text[end]))
                ++end;
        }
        tokens.push_back({kind, text.substr(i, end - i)});
        i = end;
    }
    return tokens;
}

} // namespace sandbox
