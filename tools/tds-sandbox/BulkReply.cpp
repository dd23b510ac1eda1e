#include "BulkReply.h"

#include <cstdlib>

namespace sandbox {

namespace {
constexpr uint8_t RowFormat = 0xEE, Row = 0xD1;
constexpr uint8_t StatusNullable = 0x08; // syscolumns.status: the column allows NULL

void closeRowFormat(TokenWriter& out, const TokenWriter& body)
{
    out.u8(RowFormat);
    out.u16(uint16_t(body.size()));
    out.bytes(std::string_view(reinterpret_cast<const char*>(body.data().data()), body.size()));
}

// A column default the defaults row can carry: a whole number for an integer column, a
// quoted text for a character one. Others are applied by the server alone.
std::optional<std::string> sendableDefault(const std::string& sql, const AseType& type)
{
    if (sql.empty())
        return std::nullopt;
    if (type.family == AseType::Integer) {
        char* end = nullptr;
        const long long value = std::strtoll(sql.c_str(), &end, 10);
        if (end && *end == '\0' && end != sql.c_str())
            return std::to_string(value);
    } else if (type.family == AseType::Character && sql.size() >= 2 && sql.front() == '\'' &&
               sql.back() == '\'' && type.length <= 255) {
        std::string text;
        for (size_t i = 1; i + 1 < sql.size(); ++i) {
            text += sql[i];
            if (sql[i] == '\'')
                ++i; // '' stands for one apostrophe
        }
        return text.empty() ? std::string(" ") : text;
    }
    return std::nullopt;
}

void writeDefaultsRow(TokenWriter& out, const BulkTable& table)
{
    TokenWriter format, row;
    format.u16(0);
    uint16_t count = 0;
    row.u8(Row);
    for (size_t c = 0; c < table.types.size(); ++c) {
        const std::optional<std::string> value = sendableDefault(table.defaults[c], table.types[c]);
        if (!value)
            continue;
        ++count;
        writeColumnFormat(format, table.columnNames[c], table.types[c], true);
        if (table.types[c].family == AseType::Integer) {
            const int64_t v = std::stoll(*value);
            row.u8(uint8_t(table.types[c].length));
            for (int b = 0; b < table.types[c].length; ++b)
                row.u8(uint8_t(uint64_t(v) >> (8 * b)));
        } else {
            row.shortString(*value);
        }
    }
    if (count == 0)
        return;
    std::vector<uint8_t> bytes = format.data();
    bytes[0] = uint8_t(count);
    bytes[1] = uint8_t(count >> 8);
    TokenWriter body;
    body.bytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    closeRowFormat(out, body);
    out.bytes(std::string_view(reinterpret_cast<const char*>(row.data().data()), row.size()));
}
} // namespace

void writeTableFormat(TokenWriter& out, const BulkTable& table)
{
    TokenWriter body;
    body.u16(uint16_t(table.types.size()));
    for (size_t c = 0; c < table.types.size(); ++c)
        writeColumnFormat(body, table.columnNames[c], table.types[c], table.nullable[c]);
    closeRowFormat(out, body);
}

void writeInsertBulkReply(TokenWriter& out, const BulkTable& table, const BulkLayout& layout)
{
    static constexpr std::string_view names[] = {"colcnt", "colid",  "type", "length",
                                                 "status", "offset", "dflt"};
    const AseType intType = aseTypeOf("int");
    TokenWriter body;
    body.u16(uint16_t(std::size(names)));
    for (std::string_view name : names)
        writeColumnFormat(body, name, intType, false);
    closeRowFormat(out, body);
    const auto count = int32_t(table.types.size());
    for (int32_t c = 0; c < count; ++c) {
        const BulkColumnLayout& column = layout.columns[size_t(c)];
        const bool sendsDefault =
            sendableDefault(table.defaults[size_t(c)], column.type).has_value();
        const int32_t values[] = {count,
                                  c + 1,
                                  int32_t(wireTypeOf(column.type, column.nullable).code),
                                  int32_t(column.type.length),
                                  column.nullable ? StatusNullable : 0,
                                  column.fixed ? int32_t(column.fixedOffset)
                                               : -(column.variableIndex + 1),
                                  sendsDefault ? 1 : 0};
        out.u8(Row);
        for (int32_t v : values)
            out.u32(uint32_t(v));
    }
    writeDefaultsRow(out, table);
    out.done(done::CountValid, uint32_t(count));
}

bool hasTextColumn(const BulkTable& table)
{
    for (const AseType& type : table.types)
        if (type.family == AseType::Text || type.name == "image")
            return true;
    return false;
}

} // namespace sandbox
