#pragma once

#include "BulkCopy.h"

namespace sandbox {

// ROWFMT of a table's columns with ASE's types, as SET FMTONLY answers it.
void writeTableFormat(TokenWriter& out, const BulkTable& table);

// The answer to "insert bulk": a row per column (colcnt, colid, type, length, status, offset,
// dflt), a row of the defaults when a column has one, and DONE.
void writeInsertBulkReply(TokenWriter& out, const BulkTable& table, const BulkLayout& layout);

// text, unitext and image columns: bulk copy into their tables is refused.
bool hasTextColumn(const BulkTable& table);

} // namespace sandbox
