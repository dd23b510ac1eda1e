#pragma once

#include "SessionProvider.h"

#include <vector>

struct _cs_command;
class AseConnection;

// The rows of one language command, fetched as they are read. Column buffers are bound only
// when the first row is asked for, so a cursor opened to learn the column count costs nothing.
class AseCursor : public Cursor
{
public:
    AseCursor(AseConnection& connection, _cs_command* cmd);
    ~AseCursor() override;

    // Reads up to the first row result. Throws Failure.
    void start();

    int fieldCount() const override { return int(m_names.size()); }
    QStringList fieldNames() const override { return m_names; }
    bool next() override;
    std::optional<QString> value(int index) const override;
    void close() override;
    bool isOpen() const override { return !m_closed; }

    static constexpr int MaxValueBytes = 1 << 20;

private:
    void bindColumns();
    void drainResults();

    struct Column
    {
        std::vector<char> buffer;
        int length = 0;
        short indicator = 0;
        int maxLength = 0;
    };

    AseConnection& m_connection;
    _cs_command* m_cmd;
    QStringList m_names;
    std::vector<Column> m_columns;
    bool m_hasRows = false;
    bool m_bound = false;
    bool m_onRow = false;
    bool m_closed = false;
};
