#pragma once

#include <optional>
#include <QByteArray>
#include <QList>

// A server reply read token by token, the way a client library reads it: what each
// statement answered (its DONE), the messages, the rows and the environment changes.
struct ReplyTokens
{
    struct Done
    {
        quint16 status = 0;
        quint32 count = 0;
    };
    struct Message
    {
        int number = 0;
        int line = 0;
        QByteArray text;
    };
    struct EnvChange
    {
        int type = 0;
        QByteArray value;
    };
    using Row = QList<std::optional<QByteArray>>; // nullopt is NULL; integers as decimal text

    QList<Done> dones;
    QList<Message> messages;
    QList<Row> rows;
    QList<QByteArray> columnNames; // of the last row format
    QList<EnvChange> envChanges;
    bool wellFormed = false; // every byte belonged to a token

    static ReplyTokens parse(const QByteArray& reply);

    QList<int> messageNumbers() const;
    // The first value of the last row, for "select count(*)" and "select @@trancount".
    QByteArray lastScalar() const;
};
