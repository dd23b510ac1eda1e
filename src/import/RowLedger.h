#pragma once

#include "RowValues.h"

#include <deque>
#include <functional>
#include <optional>
#include <QByteArray>
#include <QString>
#include <vector>

// The rows of one file handed to a session whose outcome has not come back, and what became of
// those whose outcome has: every path of a run (rows going well, a file given up, a stop) ends
// its rows here, by one set of rules.
class RowLedger
{
public:
    struct Row
    {
        std::int64_t ticket = 0;
        qint64 line = 0; // the file's line the row begins on
        QByteArray text; // as read (UTF-8), kept only where it will be listed
        QString reason;  // why it was not loaded, when its own outcome said (a row in doubt)
    };
    // The connection went, or the database could not keep rows (a full disk): nothing more of
    // the file can be loaded.
    struct Loss
    {
        QString description; // the first lost row's outcome
        QString cause;       // the connection's own words, for the rows never sent
        bool storage = false;
    };
    // How a row the database refused is told: reported on its own, or, once the run is
    // stopping, only listed.
    enum class Telling
    {
        Report,
        ListOnly
    };
    using Refused = std::function<void(const Row& row, const QString& description, Telling)>;

    explicit RowLedger(Refused refused) : m_refused(std::move(refused)) {}

    // Takes a row in; returns the ticket its outcome will carry.
    std::int64_t handOver(qint64 line, QByteArray text);

    // Ends the rows whose outcomes came back, in order: a loaded row is counted, a refused one
    // told. When reporting, a lost row and every row after it return to the front of the
    // unanswered ones with their own words, and the loss is returned; when only listing,
    // every row not loaded is told as it comes.
    std::optional<Loss> absorb(const std::vector<RowOutcome>& outcomes, Telling telling);

    qint64 loaded() const { return m_loaded; }
    bool hasUnanswered() const { return !m_rows.empty(); }
    qint64 firstUnansweredLine() const { return m_rows.front().line; }
    // Hands out every unanswered row, oldest first, and forgets them.
    void drain(const std::function<void(const Row&)>& each);

private:
    Row take(std::int64_t ticket);

    Refused m_refused;
    std::deque<Row> m_rows;
    std::int64_t m_lastTicket = 0;
    qint64 m_loaded = 0;
};
