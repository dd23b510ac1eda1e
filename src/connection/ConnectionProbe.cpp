#include "ConnectionProbe.h"

#include "Failure.h"

bool ProbeConnection(const SessionFactory& createSession, const ConnectionSettings& values)
{
    std::unique_ptr<DatabaseSession> session = createSession();
    try {
        session->open(values);
    } catch (const Failure&) {
        return false;
    }
    return true;
}
