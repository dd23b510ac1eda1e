#include "ConnectionProbe.h"

#include "Failure.h"

ProbeOutcome ProbeConnection(const SessionFactory& createSession, const ConnectionSettings& values)
{
    std::unique_ptr<DatabaseSession> session = createSession();
    try {
        session->open(values);
    } catch (const Failure& failure) {
        return {false, failure.description()};
    }
    return {true, {}};
}
