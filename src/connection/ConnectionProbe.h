#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"

// True when a session opens with these values; false, silently, when the open fails.
// A failure to create the session object itself reaches the caller.
bool ProbeConnection(const SessionFactory& createSession, const ConnectionSettings& values);
