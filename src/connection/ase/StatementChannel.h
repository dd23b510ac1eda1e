#pragma once

#include <optional>
#include <QByteArrayList>
#include <QString>
#include <vector>

// The server's answer to one statement of a batch: its own DONE and the messages that came
// before it.
struct StatementAnswer
{
    bool failed = false;
    QString description;              // the server's messages when failed
    std::optional<qint64> firstValue; // a query's first value, e.g. of "select @@trancount"
};

// The answers to one batch, in statement order. Fewer answers than statements means the
// server ended the batch early (a compile-time error, a transaction aborted).
struct BatchAnswer
{
    std::vector<StatementAnswer> answers;
    bool connectionLost = false; // the batch got no complete answer: nothing more can be sent
    QString lostDescription;
};

// Where a row batcher sends its statements.
class StatementChannel
{
public:
    virtual ~StatementChannel() = default;
    // Sends the statements (UTF-8) as one language batch, one a line, and reads each one's
    // answer.
    virtual BatchAnswer exchange(const QByteArrayList& statements) = 0;
};
