#pragma once

#include "ConnectionString.h"
#include "SessionProvider.h"

#include <memory>

// Opens the provider the connection string names. Throws Failure.
std::unique_ptr<SessionProvider> openProvider(const ConnectionString& parts);
