#pragma once

#include "ConnectionString.h"
#include "SessionProvider.h"

#include <memory>

// Opens the provider the connection string names. Throws Failure. rowsPerBatch: rows per round
// trip for a server provider (0: its default).
std::unique_ptr<SessionProvider> openProvider(const ConnectionString& parts, int rowsPerBatch = 0);
