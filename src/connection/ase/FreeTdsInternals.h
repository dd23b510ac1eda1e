#pragma once

#include <QString>

struct _cs_connection;
struct _cs_context;

// What FreeTDS knows of a logged-in connection but Client-Library does not hand out before
// FreeTDS 1.5: the connection's socket and the character set the server announced at login.
// Both are read from the start of FreeTDS's own connection structures, whose layout is the
// same from 1.3 to 1.5 (MARS builds, as Debian's); for any other version, or when what is
// read does not look right, the answers are "unknown".
namespace FreeTdsInternals {
// True when this process's FreeTDS is a version whose layout is known (asked of the first
// context given).
bool layoutKnown(_cs_context* context);
// The connection's socket, or -1.
int socketOf(_cs_connection* connection);
// The server's character set name as announced ("utf8", "iso_1", ...), or an empty text.
QString serverCharsetOf(_cs_connection* connection);
} // namespace FreeTdsInternals
