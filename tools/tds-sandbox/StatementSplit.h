#pragma once

#include <string_view>
#include <vector>

namespace sandbox {

// One statement of a batch. Both texts point into the batch.
struct BatchStatement
{
    std::string_view text;     // trimmed, without the semicolon that ended it
    std::string_view received; // as the client wrote it, that semicolon included
    int line = 1;              // where it starts in the batch, counted from 1
};

// Splits a language batch into its statements the way ASE reads one: at semicolons and
// where a new statement begins without one ("select @@spid use [db]").
std::vector<BatchStatement> splitBatch(std::string_view batch);

// The text without the blanks and line breaks around it.
std::string_view trimmed(std::string_view s);

} // namespace sandbox
