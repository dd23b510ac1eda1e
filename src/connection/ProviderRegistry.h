#pragma once

#include "ConnectionSettings.h"
#include "SessionProvider.h"

#include <memory>

// Opens the provider the connection values name: an embedded database for a server beginning
// with "file:", Sybase ASE otherwise. Throws Failure.
std::unique_ptr<SessionProvider> openProvider(const ConnectionSettings& settings,
                                              const SessionOptions& options = {});
