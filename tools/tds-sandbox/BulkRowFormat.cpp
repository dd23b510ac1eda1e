#include "BulkRowFormat.h"

namespace sandbox {

namespace {
constexpr int DatarowsPrefix = 4; // four zero bytes open a datarows-locked row image

unsigned byteAt(std::string_view row, size_t at)
{
    return static_cast<unsigned char>(row[at]);
}

// The start of each variable column and the end of the last (count + 1 entries), from the
// allpages tables: a count byte (not always written), the adjust table (high bytes in
// run-length form, the highest first) and the low bytes, all in reverse at the row's end.
std::optional<std::vector<int>> allpagesOffsets(std::string_view row, int count, int firstStart)
{
    const int length = int(row.size());
    for (int countByte = 1; countByte >= 0; --countByte) {
        for (int adjust = 0; adjust * 256 <= length; ++adjust) {
            const int tableStart = length - count - 1 - countByte - adjust;
            if (tableStart < firstStart || tableStart / 256 != adjust)
                continue;
            std::vector<int> offsets(size_t(count) + 1);
            for (int i = 0; i <= count; ++i) {
                int high = 0;
                for (int k = 1; k <= adjust; ++k) {
                    const int runStart =
                        int(byteAt(row, size_t(tableStart + countByte + adjust - k)));
                    high += i >= runStart - 1 ? 1 : 0;
                }
                offsets[size_t(i)] = high * 256 + int(byteAt(row, size_t(length - 1 - i)));
            }
            bool ordered = offsets[0] == firstStart && offsets[size_t(count)] == tableStart;
            for (int i = 1; i <= count && ordered; ++i)
                ordered = offsets[size_t(i)] >= offsets[size_t(i) - 1];
            if (ordered)
                return offsets;
        }
    }
    return std::nullopt;
}

// The datarows format: a 2-byte start per column, last column first; the variable data ends
// where that table begins.
std::optional<std::vector<int>> datarowsOffsets(std::string_view row, int count, int firstStart)
{
    const int tableStart = int(row.size()) - 2 * count;
    if (tableStart < firstStart)
        return std::nullopt;
    std::vector<int> offsets(size_t(count) + 1);
    for (int i = 0; i < count; ++i) {
        const size_t at = size_t(tableStart + 2 * (count - 1 - i));
        offsets[size_t(i)] = int(byteAt(row, at) | byteAt(row, at + 1) << 8);
    }
    offsets[size_t(count)] = tableStart;
    bool ordered = offsets[0] == firstStart;
    for (int i = 1; i <= count && ordered; ++i)
        ordered = offsets[size_t(i)] >= offsets[size_t(i) - 1];
    if (!ordered)
        return std::nullopt;
    return offsets;
}

void readFixed(std::string_view row, const BulkLayout& layout, BulkRowSlices& out)
{
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        const BulkColumnLayout& column = layout.columns[c];
        if (!column.fixed)
            continue;
        if (column.bit >= 0) {
            const bool set = byteAt(row, size_t(column.fixedOffset)) >> column.bit & 1;
            out.values[c] = set ? std::string_view("\1", 1) : std::string_view("\0", 1);
        } else {
            out.values[c] = row.substr(size_t(column.fixedOffset), size_t(column.type.length));
        }
    }
}
} // namespace

BulkLayout bulkLayoutOf(const std::vector<AseType>& types, const std::vector<bool>& nullable,
                        bool datarows)
{
    BulkLayout layout;
    layout.datarows = datarows;
    int at = datarows ? DatarowsPrefix + 2 : 2;
    int bitByte = -1, bitsUsed = 8;
    for (size_t c = 0; c < types.size(); ++c) {
        BulkColumnLayout column{types[c], bool(nullable[c])};
        column.fixed = wireTypeOf(types[c], column.nullable).fixedSize;
        if (column.fixed && types[c].family == AseType::Bit) {
            if (bitsUsed == 8) { // all bit columns share bytes, eight to a byte
                bitByte = at++;
                bitsUsed = 0;
            }
            column.fixedOffset = bitByte;
            column.bit = bitsUsed++;
        } else if (column.fixed) {
            column.fixedOffset = at;
            at += types[c].length;
        } else {
            column.variableIndex = layout.variableCount++;
        }
        layout.columns.push_back(column);
    }
    layout.fixedEnd = at;
    return layout;
}

BulkRowSlices sliceBulkRow(std::string_view row, const BulkLayout& layout)
{
    BulkRowSlices out;
    out.values.resize(layout.columns.size());
    const int prefix = layout.datarows ? DatarowsPrefix : 0;
    if (int(row.size()) < layout.fixedEnd) {
        out.error = "a bulk row shorter than its fixed columns";
        return out;
    }
    readFixed(row, layout, out);
    const int count = int(byteAt(row, size_t(prefix)));
    if (count == 0)
        return out; // every variable column NULL: no row length, no tables
    const int firstStart = layout.fixedEnd + 2;
    if (int(row.size()) < firstStart) {
        out.error = "a bulk row that ends before its row length";
        return out;
    }
    const size_t lengthAt = size_t(layout.fixedEnd);
    const int rowLength = int(byteAt(row, lengthAt) | byteAt(row, lengthAt + 1) << 8);
    if (count > layout.variableCount || rowLength != int(row.size())) {
        out.error = "a bulk row whose lengths do not match its table";
        return out;
    }
    const auto offsets = layout.datarows ? datarowsOffsets(row, count, firstStart)
                                         : allpagesOffsets(row, count, firstStart);
    if (!offsets) {
        out.error = "a bulk row whose offset table does not match its data";
        return out;
    }
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        const BulkColumnLayout& column = layout.columns[c];
        if (column.fixed || column.variableIndex >= count)
            continue;
        const int start = (*offsets)[size_t(column.variableIndex)];
        const int end = (*offsets)[size_t(column.variableIndex) + 1];
        if (end > start)
            out.values[c] = row.substr(size_t(start), size_t(end - start));
    }
    return out;
}

} // namespace sandbox
