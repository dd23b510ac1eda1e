#include "ResultFormat.h"

#include <algorithm>
#include <limits>
#include <string>

namespace sandbox {

namespace {
namespace type {
constexpr uint8_t VarChar = 0x27;
constexpr uint8_t LongChar = 0xAF;
constexpr uint8_t Text = 0x23;
constexpr uint8_t IntN = 0x26;
} // namespace type

constexpr uint32_t TextMaxLength = 32768;
constexpr uint8_t Nullable = 0x20;

uint32_t declaredLength(const std::string& decl)
{
    const size_t open = decl.find('(');
    if (open == std::string::npos)
        return 0;
    try {
        return uint32_t(std::min(std::stoul(decl.substr(open + 1)), 1ul << 30));
    } catch (...) {
        return 0;
    }
}

// ASE stores no empty strings: what would be one is a single blank.
std::string shown(const Value& v)
{
    if (v.type == Value::Integer)
        return std::to_string(v.integer);
    return v.text.empty() ? std::string(" ") : v.text;
}
} // namespace

std::vector<ColumnFormat> chooseFormats(const std::vector<ResultColumn>& columns,
                                        const std::vector<std::vector<Value>>& rows)
{
    std::vector<ColumnFormat> formats(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        const std::string& decl = columns[c].declType;
        bool allIntegers = true, wide = false;
        size_t longest = 0;
        for (const auto& row : rows) {
            const Value& v = row[c];
            if (v.type == Value::Null)
                continue;
            if (v.type != Value::Integer)
                allIntegers = false;
            else if (v.integer < std::numeric_limits<int32_t>::min() ||
                     v.integer > std::numeric_limits<int32_t>::max())
                wide = true;
            longest = std::max(longest, shown(v).size());
        }
        ColumnFormat& f = formats[c];
        const bool textual = decl.find("char") != std::string::npos ||
                             decl.find("text") != std::string::npos ||
                             decl.find("clob") != std::string::npos;
        if (decl.find("text") != std::string::npos) {
            f.kind = ColumnFormat::Text;
            f.maxLength = std::max<uint32_t>(TextMaxLength, uint32_t(longest));
        } else if (allIntegers && !textual &&
                   (decl.empty() || decl.find("int") != std::string::npos)) {
            f.kind = ColumnFormat::Int;
            f.maxLength = (wide || decl.find("bigint") != std::string::npos) ? 8 : 4;
        } else {
            f.maxLength = std::max<uint32_t>({1, declaredLength(decl), uint32_t(longest)});
            f.kind = f.maxLength > 255 ? ColumnFormat::LongChar : ColumnFormat::VarChar;
        }
    }
    return formats;
}

void writeRowFormat(TokenWriter& out, const std::vector<ResultColumn>& columns,
                    const std::vector<ColumnFormat>& formats)
{
    TokenWriter body;
    body.u16(uint16_t(columns.size()));
    for (size_t c = 0; c < columns.size(); ++c) {
        const ColumnFormat& f = formats[c];
        body.shortString(columns[c].name);
        body.u8(Nullable);
        switch (f.kind) {
        case ColumnFormat::VarChar:
            body.u32(2);
            body.u8(type::VarChar);
            body.u8(uint8_t(f.maxLength));
            break;
        case ColumnFormat::LongChar:
            body.u32(2);
            body.u8(type::LongChar);
            body.u32(f.maxLength);
            break;
        case ColumnFormat::Text:
            body.u32(19);
            body.u8(type::Text);
            body.u32(f.maxLength);
            body.u16(0); // table name
            break;
        case ColumnFormat::Int:
            body.u32(f.maxLength == 8 ? 0 : 7);
            body.u8(type::IntN);
            body.u8(uint8_t(f.maxLength));
            break;
        }
        body.u8(0); // locale
    }
    out.u8(0xEE);
    out.u16(uint16_t(body.size()));
    out.bytes(std::string_view(reinterpret_cast<const char*>(body.data().data()), body.size()));
}

void writeRow(TokenWriter& out, const std::vector<Value>& row,
              const std::vector<ColumnFormat>& formats)
{
    static constexpr std::string_view textPointer("\x10"
                                                  "sandbox-textptr!"
                                                  "\0\0\0\0\0\0\0\0",
                                                  25);
    out.u8(0xD1);
    for (size_t c = 0; c < formats.size(); ++c) {
        const Value& v = row[c];
        const ColumnFormat& f = formats[c];
        const bool null = v.type == Value::Null;
        switch (f.kind) {
        case ColumnFormat::VarChar: {
            const std::string s = null ? std::string() : shown(v);
            out.u8(uint8_t(s.size()));
            out.bytes(s);
            break;
        }
        case ColumnFormat::LongChar: {
            const std::string s = null ? std::string() : shown(v);
            out.u32(uint32_t(s.size()));
            out.bytes(s);
            break;
        }
        case ColumnFormat::Text:
            if (null) {
                out.u8(0);
            } else {
                const std::string s = shown(v);
                out.bytes(textPointer);
                out.u32(uint32_t(s.size()));
                out.bytes(s);
            }
            break;
        case ColumnFormat::Int:
            if (null) {
                out.u8(0);
            } else if (f.maxLength == 8) {
                out.u8(8);
                out.u64(uint64_t(v.integer));
            } else {
                out.u8(4);
                out.u32(uint32_t(int32_t(v.integer)));
            }
            break;
        }
    }
}

} // namespace sandbox
