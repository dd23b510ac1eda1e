#include "AseCursor.h"

#include "AseConnection.h"
#include "Failure.h"

#include <algorithm>
#include <ctpublic.h>

AseCursor::AseCursor(AseConnection& connection, CS_COMMAND* cmd)
    : m_connection(connection), m_cmd(cmd)
{
}

AseCursor::~AseCursor()
{
    close();
}

void AseCursor::start()
{
    CS_INT resultType = 0;
    CS_RETCODE rc;
    bool failed = false;
    while ((rc = ct_results(m_cmd, &resultType)) == CS_SUCCEED) {
        if (resultType == CS_ROW_RESULT) {
            CS_INT count = 0;
            ct_res_info(m_cmd, CS_NUMDATA, &count, CS_UNUSED, nullptr);
            m_columns.resize(size_t(std::max<CS_INT>(count, 0)));
            for (CS_INT i = 0; i < count; ++i) {
                CS_DATAFMT format{};
                ct_describe(m_cmd, i + 1, &format);
                m_names << QString::fromUtf8(format.name,
                                             std::clamp<CS_INT>(format.namelen, 0, CS_MAX_NAME));
                m_columns[size_t(i)].maxLength = format.maxlength;
            }
            m_hasRows = true;
            return;
        }
        if (resultType == CS_CMD_FAIL)
            failed = true;
    }
    if (rc != CS_END_RESULTS)
        failed = true;
    close();
    if (failed)
        m_connection.fail(QStringLiteral("The server rejected the query."));
}

void AseCursor::bindColumns()
{
    m_bound = true;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        Column& column = m_columns[i];
        // Text arrives as UTF-8, up to four bytes a character, plus the terminating zero.
        const qint64 wanted = qint64(std::max(column.maxLength, 1)) * 4 + 1;
        column.buffer.resize(size_t(std::min<qint64>(wanted, MaxValueBytes)));
        CS_DATAFMT format{};
        format.datatype = CS_CHAR_TYPE;
        format.format = CS_FMT_NULLTERM;
        format.maxlength = CS_INT(column.buffer.size());
        format.count = 1;
        CS_INT* length = reinterpret_cast<CS_INT*>(&column.length);
        CS_SMALLINT* indicator = reinterpret_cast<CS_SMALLINT*>(&column.indicator);
        ct_bind(m_cmd, CS_INT(i + 1), &format, column.buffer.data(), length, indicator);
    }
}

bool AseCursor::next()
{
    m_onRow = false;
    if (!m_cmd || !m_hasRows)
        return false;
    if (!m_bound)
        bindColumns();
    CS_INT rows = 0;
    const CS_RETCODE rc = ct_fetch(m_cmd, CS_UNUSED, CS_UNUSED, CS_UNUSED, &rows);
    if (rc == CS_SUCCEED || rc == CS_ROW_FAIL) {
        m_onRow = true;
        return true;
    }
    drainResults();
    if (rc != CS_END_DATA)
        m_connection.fail(QStringLiteral("The rows could not be read: the connection is lost."));
    return false;
}

void AseCursor::drainResults()
{
    if (!m_cmd)
        return;
    CS_INT resultType = 0;
    while (ct_results(m_cmd, &resultType) == CS_SUCCEED) {
        if (resultType == CS_ROW_RESULT)
            ct_cancel(nullptr, m_cmd, CS_CANCEL_CURRENT);
    }
    ct_cmd_drop(m_cmd);
    m_cmd = nullptr;
    m_hasRows = false;
}

std::optional<QString> AseCursor::value(int index) const
{
    if (!m_onRow || index < 0 || size_t(index) >= m_columns.size())
        return std::nullopt;
    const Column& column = m_columns[size_t(index)];
    if (column.indicator == CS_NULLDATA)
        return std::nullopt;
    return QString::fromUtf8(column.buffer.data());
}

void AseCursor::close()
{
    m_closed = true;
    m_onRow = false;
    m_hasRows = false;
    if (!m_cmd)
        return;
    ct_cancel(nullptr, m_cmd, CS_CANCEL_ALL);
    ct_cmd_drop(m_cmd);
    m_cmd = nullptr;
}
