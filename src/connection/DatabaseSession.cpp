#include "DatabaseSession.h"

#include "Failure.h"
#include "ProviderRegistry.h"
#include "ServerWaits.h"

DatabaseSession::DatabaseSession() = default;

DatabaseSession::~DatabaseSession()
{
    try {
        close();
    } catch (const Failure&) {
        // Released without a close by its caller: nothing is left to report to.
    }
}

void DatabaseSession::open(const ConnectionSettings& settings, const SessionOptions& options)
{
    if (m_provider)
        throw Failure(QStringLiteral("Operation is not allowed when the object is open."));
    m_provider = ServerWaits::result([&] { return openProvider(settings, options); });
}

SessionProvider& DatabaseSession::provider()
{
    if (!m_provider)
        throw Failure(QStringLiteral("Operation is not allowed when the object is closed."));
    return *m_provider;
}

void DatabaseSession::execute(const QString& statement)
{
    SessionProvider& p = provider();
    ServerWaits::run([&] { p.execute(statement); });
}

std::vector<ColumnType> DatabaseSession::columnTypes(const QString& table)
{
    SessionProvider& p = provider();
    return ServerWaits::result([&] { return p.columnTypes(table); });
}

void DatabaseSession::submitRow(const RowValues& row)
{
    provider().submitRow(row);
}

std::vector<RowOutcome> DatabaseSession::takeOutcomes()
{
    if (!m_provider)
        return {};
    return m_provider->takeOutcomes();
}

void DatabaseSession::flushRows()
{
    SessionProvider& p = provider();
    ServerWaits::run([&] { p.flushRows(); });
}

void DatabaseSession::track(const std::shared_ptr<Cursor>& cursor)
{
    std::erase_if(m_cursors, [](const std::weak_ptr<Cursor>& c) { return c.expired(); });
    m_cursors.push_back(cursor);
}

void DatabaseSession::close()
{
    for (const auto& weak : m_cursors)
        if (auto cursor = weak.lock())
            cursor->close();
    m_cursors.clear();
    if (!m_provider)
        return;
    auto provider = std::move(m_provider);
    ServerWaits::run([&] { provider->close(); });
}

void ResultSet::attach(std::shared_ptr<Cursor> cursor, DatabaseSession& session)
{
    session.track(cursor);
    m_cursor = std::move(cursor);
    m_atEnd = !m_cursor->next();
}

void ResultSet::open(const QString& source, DatabaseSession& session)
{
    close();
    SessionProvider& provider = session.provider();
    attach(ServerWaits::result([&] { return provider.query(source); }), session);
}

void ResultSet::openTablesSchema(DatabaseSession& session)
{
    close();
    SessionProvider& provider = session.provider();
    attach(ServerWaits::result([&] { return provider.tablesSchema(); }), session);
}

const Cursor& ResultSet::cursor() const
{
    if (!m_cursor)
        throw Failure(QStringLiteral("Operation is not allowed when the object is closed."));
    return *m_cursor;
}

int ResultSet::fieldCount() const
{
    return cursor().fieldCount();
}

bool ResultSet::eof() const
{
    return m_atEnd || !cursor().isOpen();
}

QString ResultSet::value(const QString& field) const
{
    const Cursor& c = cursor();
    if (m_atEnd)
        throw Failure(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    const qsizetype index = c.fieldNames().indexOf(field);
    if (index < 0)
        throw Failure(QStringLiteral("Item cannot be found in the collection corresponding to the "
                                     "requested name or ordinal."));
    return c.value(int(index)).value_or(QString());
}

void ResultSet::moveNext()
{
    if (cursor(), m_atEnd)
        throw Failure(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    m_atEnd = !m_cursor->next();
}

void ResultSet::close()
{
    if (m_cursor)
        m_cursor->close();
    m_cursor.reset();
    m_atEnd = true;
}

SessionFactory defaultSessionFactory()
{
    return [] { return std::make_unique<DatabaseSession>(); };
}
