#pragma once

#include "BatchRunner.h"
#include "BulkRowFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace sandbox {

// One table as bulk copy sees it: its columns' types, nullability and defaults, and the
// row layout "insert bulk" announces.
struct BulkTable
{
    std::string stored; // the table's name in the SQLite file
    std::vector<std::string> storedColumns;
    std::vector<std::string> columnNames; // as the client wrote them
    std::vector<AseType> types;
    std::vector<bool> nullable;
    std::vector<std::string> defaults; // SQL text, empty when the column has none
    bool datarows = false;             // created "lock datarows"
};

// The table a bulk copy names ("T", "[T]", "db..T", "db.owner.T", "owner.T") in the current
// database, or nullopt with ASE's message when there is none such.
std::optional<BulkTable> readBulkTable(SessionState& state, std::string_view name,
                                       ServerMessage* error);

// The name in "insert bulk NAME" (NAME, db..NAME, db.owner.NAME), or nullopt when the batch
// is something else.
std::optional<std::string> insertBulkTarget(std::string_view batch);
// The name in "SET FMTONLY ON select * from NAME SET FMTONLY OFF", the query a bulk copy
// client reads its columns with; nullopt for anything else.
std::optional<std::string> formatOnlyTarget(std::string_view batch);

// Bulk copy into one table of a session: "insert bulk" starts a batch, the next bulk
// message holds its rows. The batch is stored whole or not at all.
class BulkCopy
{
public:
    BulkCopy() = default;
    ~BulkCopy();
    BulkCopy(const BulkCopy&) = delete;
    BulkCopy& operator=(const BulkCopy&) = delete;

    // Answers the column description without rows, as ASE answers under FMTONLY.
    static void describe(const std::string& name, SessionState& state, TokenWriter& out);
    // Answers "insert bulk": one row per column (colcnt, colid, type, length, status,
    // offset, dflt; a negative offset for a variable column), then DONE. The rows that
    // follow use the datarows format when the client asked for it at login and the table
    // is datarows-locked.
    void start(const std::string& name, SessionState& state, bool datarowsFormat, TokenWriter& out);
    bool active() const { return m_active; }
    // Stores the rows of one bulk message in one transaction and answers one DONE with
    // their count; any rejected row rolls the whole batch back. `rejectedBy` is the fault
    // switches' message for the batch, if any.
    void load(std::string_view rows, SessionState& state, bool utf8,
              const std::optional<ServerMessage>& rejectedBy, TokenWriter& out);
    // Ends a batch that will get no rows (the connection goes).
    void abandon() { m_active = false; }

private:
    bool prepare(SessionState& state, ServerMessage* error);
    std::optional<ServerMessage> insertRow(std::string_view image, SessionState& state, bool utf8);
    std::optional<ServerMessage> storeRows(std::string_view rows, SessionState& state, bool utf8,
                                           int64_t* count);

    bool m_active = false;
    BulkTable m_table;
    BulkLayout m_layout;
    sqlite3_stmt* m_insert = nullptr;
    std::string m_insertSql;
};

} // namespace sandbox
