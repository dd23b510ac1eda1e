#pragma once

#include "Database.h"
#include "Options.h"
#include "SqlTranslation.h"
#include "TokenWriter.h"

#include <functional>
#include <string>
#include <string_view>

namespace sandbox {

constexpr std::string_view ServerName = "sandbox";

// What one client session carries from batch to batch.
struct SessionState
{
    Database database;
    std::string databaseName;
    SessionGlobals globals; // globals.tranCount is the transaction nesting, as @@trancount
    bool chained = false;   // "set chained on": data statements begin a transaction
    // "set string_rtruncation on": a text too long for its column fails the statement
    // instead of being cut.
    bool stringRtruncation = false;
    int statementsRun = 0; // for the fault switches that count statements
};

enum class BatchEnd
{
    Answered,  // the reply is complete in `out`
    Cancelled, // the client cancelled before the batch ended
    Drop,      // --close-after: drop the connection, batch unanswered
    Silent     // --silent-after: answer nothing from now on
};

// Runs one language batch as ASE does. The whole batch is compiled first: a syntax error or
// an overlong name fails it before any statement runs. Then each statement runs and answers
// its own DONE (DONE_MORE on all but the last, the error bit on a failed one); a failed
// statement does not stop the batch, a deadlock victim does. Messages carry the statement's
// line in the batch.
BatchEnd runBatch(std::string_view batch, SessionState& state, const Options& options,
                  TokenWriter& out, const std::function<bool()>& cancelled);

// Rolls back what the client left open (logout, a dropped connection).
void endSession(SessionState& state);

// The file of database NAME.
std::string databasePath(const Options& options, const std::string& name);

} // namespace sandbox
