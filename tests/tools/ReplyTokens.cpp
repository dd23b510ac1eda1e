#include "ReplyTokens.h"

namespace {
class Reader
{
public:
    explicit Reader(const QByteArray& b) : m_b(b) {}
    bool has(qsizetype n) const { return m_at + n <= m_b.size(); }
    bool atEnd() const { return m_at >= m_b.size(); }
    quint8 u8() { return has(1) ? quint8(m_b[m_at++]) : (m_failed = true, 0); }
    quint16 u16()
    {
        const quint16 lo = u8();
        return quint16(lo | u8() << 8);
    }
    quint32 u32()
    {
        const quint32 lo = u16();
        return lo | quint32(u16()) << 16;
    }
    QByteArray bytes(qsizetype n)
    {
        if (n < 0 || !has(n)) {
            m_failed = true;
            m_at = m_b.size();
            return {};
        }
        const QByteArray out = m_b.mid(m_at, n);
        m_at += n;
        return out;
    }
    bool failed() const { return m_failed; }

private:
    const QByteArray& m_b;
    qsizetype m_at = 0;
    bool m_failed = false;
};

struct Column
{
    quint8 type = 0;
};

QByteArray integerText(Reader& r, quint8 length)
{
    qint64 v = 0;
    if (length == 1)
        v = r.u8();
    else if (length == 2)
        v = qint16(r.u16());
    else if (length == 4)
        v = qint32(r.u32());
    else if (length == 8) {
        const quint64 lo = r.u32();
        v = qint64(lo | quint64(r.u32()) << 32);
    }
    return QByteArray::number(v);
}
} // namespace

ReplyTokens ReplyTokens::parse(const QByteArray& reply)
{
    ReplyTokens out;
    Reader r(reply);
    QList<Column> columns;
    while (!r.atEnd() && !r.failed()) {
        const quint8 token = r.u8();
        switch (token) {
        case 0xFD:
        case 0xFE:
        case 0xFF: {
            Done d;
            d.status = r.u16();
            r.u16();
            d.count = r.u32();
            out.dones << d;
            break;
        }
        case 0xE5: {
            const QByteArray body = r.bytes(r.u16());
            Reader m(body);
            Message msg;
            msg.number = int(m.u32());
            m.u8();
            m.u8();
            m.bytes(m.u8()); // SQLSTATE
            m.u8();
            m.u16();
            msg.text = m.bytes(m.u16());
            m.bytes(m.u8()); // server
            m.bytes(m.u8()); // procedure
            msg.line = m.u16();
            out.messages << msg;
            break;
        }
        case 0xE3: {
            const QByteArray body = r.bytes(r.u16());
            Reader e(body);
            EnvChange c;
            c.type = e.u8();
            c.value = e.bytes(e.u8());
            out.envChanges << c;
            break;
        }
        case 0xAD:
        case 0xE2:
            r.bytes(r.u16());
            break;
        case 0xEE: {
            const QByteArray body = r.bytes(r.u16());
            Reader f(body);
            columns.clear();
            out.columnNames.clear();
            const int count = f.u16();
            for (int i = 0; i < count && !f.failed(); ++i) {
                out.columnNames << f.bytes(f.u8()); // label
                f.u8();                             // status
                f.u32();                            // user type
                Column c;
                c.type = f.u8();
                if (c.type == 0x27 || c.type == 0x26)
                    f.u8();
                else
                    f.u32();
                if (c.type == 0x23)
                    f.bytes(f.u16()); // table name
                f.bytes(f.u8());      // locale
                columns << c;
            }
            break;
        }
        case 0xD1: {
            Row row;
            for (const Column& c : columns) {
                if (c.type == 0x26) {
                    const quint8 length = r.u8();
                    row << (length ? std::optional(integerText(r, length)) : std::nullopt);
                } else if (c.type == 0x27) {
                    const quint8 length = r.u8();
                    row << (length ? std::optional(r.bytes(length)) : std::nullopt);
                } else if (c.type == 0xAF) {
                    const quint32 length = r.u32();
                    row << (length ? std::optional(r.bytes(length)) : std::nullopt);
                } else if (c.type == 0x23) {
                    const quint8 pointer = r.u8();
                    if (!pointer) {
                        row << std::nullopt;
                        continue;
                    }
                    r.bytes(pointer + 8);
                    row << std::optional(r.bytes(r.u32()));
                } else {
                    return out; // a type this server never sends
                }
            }
            out.rows << row;
            break;
        }
        default:
            return out;
        }
    }
    out.wellFormed = !r.failed();
    return out;
}

QList<int> ReplyTokens::messageNumbers() const
{
    QList<int> numbers;
    for (const Message& m : messages)
        numbers << m.number;
    return numbers;
}

QByteArray ReplyTokens::lastScalar() const
{
    if (rows.isEmpty() || rows.last().isEmpty() || !rows.last().first())
        return {};
    return *rows.last().first();
}
