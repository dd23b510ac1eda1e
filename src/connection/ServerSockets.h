#pragma once

// The sockets of the open server connections, so that a signal handler can cut them: "stop at
// once" must end a wait on a server that has stopped answering, which the client library
// would otherwise sit out until its timeout, or for ever without one.
namespace ServerSockets {
// A connection's socket, once it is logged in; removed before the connection is closed.
void add(int socket) noexcept;
void remove(int socket) noexcept;
// Shuts every socket added down, so that each wait on it ends at once and the connection is
// lost. Safe in a signal handler.
void cutAll() noexcept;
// Whether cutAll() has run: a connection lost since then was cut on purpose.
bool wereCut() noexcept;
// Forgets a cut once its run has ended, so the next run's connections are not cut at login (the
// window runs many times in one process).
void clearCut() noexcept;
} // namespace ServerSockets
