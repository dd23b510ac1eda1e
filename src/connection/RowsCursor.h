#pragma once

#include "SessionProvider.h"

#include <vector>

// A cursor over rows held in memory (small results such as the tables schema).
class RowsCursor : public Cursor
{
public:
    using Row = std::vector<std::optional<QString>>;
    RowsCursor(QStringList names, std::vector<Row> rows)
        : m_names(std::move(names)), m_rows(std::move(rows))
    {
    }

    int fieldCount() const override { return int(m_names.size()); }
    QStringList fieldNames() const override { return m_names; }
    bool next() override
    {
        if (m_position + 1 >= m_rows.size() + 1)
            return false;
        ++m_position;
        return m_position < m_rows.size();
    }
    std::optional<QString> value(int index) const override
    {
        if (m_position >= m_rows.size() || index < 0 || size_t(index) >= m_rows[m_position].size())
            return std::nullopt;
        return m_rows[m_position][size_t(index)];
    }
    bool isOpen() const override { return !m_closed; }
    void close() override
    {
        m_closed = true;
        m_rows.clear();
        m_position = 0;
    }

private:
    QStringList m_names;
    std::vector<Row> m_rows;
    bool m_closed = false;
    // Before the first next() the position is "one before the first row".
    size_t m_position = size_t(-1);
};
