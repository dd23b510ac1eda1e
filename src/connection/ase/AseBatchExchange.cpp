// The row path of AseConnection: batches through Client-Library, each statement answered by
// its own DONE and the messages the callbacks collected before it.
#include "AseConnection.h"
#include "ColumnValues.h"
#include "Failure.h"
#include "InsertText.h"
#include "ServerWaits.h"

#include <ctpublic.h>
#include <QLocale>

std::optional<qint64> AseConnection::firstValue(CS_COMMAND* cmd)
{
    CS_INT value = 0;
    CS_INT length = 0;
    CS_SMALLINT indicator = 0;
    CS_DATAFMT format{};
    format.datatype = CS_INT_TYPE;
    format.maxlength = sizeof(value);
    format.count = 1;
    std::optional<qint64> first;
    if (ct_bind(cmd, 1, &format, &value, &length, &indicator) != CS_SUCCEED) {
        ct_cancel(nullptr, cmd, CS_CANCEL_CURRENT);
        return first;
    }
    CS_INT rows = 0;
    CS_RETCODE rc;
    while ((rc = ct_fetch(cmd, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows)) == CS_SUCCEED ||
           rc == CS_ROW_FAIL)
        if (!first && rc == CS_SUCCEED && indicator != CS_NULLDATA)
            first = value;
    return first;
}

std::optional<QString> AseConnection::fieldRefusal(const RowValues& row) const
{
    if (!m_charset)
        return std::nullopt;
    const QLocale grouped(QLocale::English, QLocale::UnitedStates); // 16,384
    for (qsizetype i = 0; i < row.fields.size(); ++i) {
        const qsizetype bytes = m_charset->encodedLength(row.fields[i], MaxValueBytes);
        if (bytes > MaxValueBytes)
            return QStringLiteral("The value of field %1 is %2 bytes long in the server's "
                                  "character set; Sybase ASE keeps at most %3 bytes of a value "
                                  "sent in a statement and would cut the rest, so the row was "
                                  "not sent.")
                .arg(i + 1)
                .arg(grouped.toString(bytes), grouped.toString(MaxValueBytes));
    }
    return std::nullopt;
}

// A batch of rows is the wait a row may meet: a window keeps repainting meanwhile.
BatchAnswer AseConnection::exchange(const QByteArrayList& statements)
{
    return ServerWaits::result([&] { return exchangeHere(statements); });
}

BatchAnswer AseConnection::exchangeHere(const QByteArrayList& statements)
{
    BatchAnswer batch;
    CS_COMMAND* cmd = nullptr;
    try {
        // Each row was checked against the character set when it was submitted.
        cmd = transmit(statements.join('\n'));
    } catch (const Failure& failure) {
        m_broken = true;
        batch.connectionLost = true;
        batch.lostDescription = failure.description();
        return batch;
    }
    std::optional<qint64> value;
    bool inRows = false;
    auto answer = [&](bool failed) {
        StatementAnswer a;
        // As for a single statement: an error message fails it even when its DONE does not.
        a.failed = failed || !m_messages.isEmpty();
        if (a.failed)
            a.description = m_messages.isEmpty()
                                ? QStringLiteral("The server rejected the statement.")
                                : m_messages.join(QStringLiteral("\r\n"));
        a.firstValue = value;
        value.reset();
        m_messages.clear();
        batch.answers.push_back(std::move(a));
    };
    CS_INT resultType = 0;
    CS_RETCODE rc;
    while ((rc = ct_results(cmd, &resultType)) == CS_SUCCEED) {
        switch (resultType) {
        case CS_ROW_RESULT:
            value = firstValue(cmd);
            inRows = true;
            break;
        case CS_CMD_SUCCEED:
            answer(false);
            break;
        case CS_CMD_FAIL:
            answer(true);
            break;
        case CS_CMD_DONE:
            // A query's rows end with this alone; other statements answered already.
            if (inRows)
                answer(false);
            inRows = false;
            break;
        case CS_STATUS_RESULT:
        case CS_PARAM_RESULT:
        case CS_COMPUTE_RESULT:
            ct_cancel(nullptr, cmd, CS_CANCEL_CURRENT);
            break;
        default:
            break;
        }
    }
    const bool ended = rc == CS_END_RESULTS;
    if (!ended)
        ct_cancel(nullptr, cmd, CS_CANCEL_ALL);
    dropCommand(cmd);
    if (!ended) {
        // The client gives up on this batch: nothing more is sent on this connection, so an
        // open transaction can only be rolled back when it closes.
        m_broken = true;
        batch.connectionLost = true;
        batch.lostDescription = m_messages.isEmpty()
                                    ? QStringLiteral("The connection to the server was lost.")
                                    : m_messages.join(QStringLiteral("\r\n"));
        m_messages.clear();
    }
    return batch;
}
