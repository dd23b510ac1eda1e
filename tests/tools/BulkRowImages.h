#pragma once

#include <optional>
#include <QByteArray>
#include <QList>

// Bulk copy rows written by hand, for what FreeTDS's own tools never send.

// A row image of table R (i int NOT NULL; n numeric(5,2) NULL; v varchar(5) NOT NULL) as
// FreeTDS writes one: the fixed part, then the variable columns with their offsets in
// reverse; the datarows format opens with four zero bytes and takes 2-byte offsets.
QByteArray rowImage(bool datarows, qint32 i, std::optional<QByteArray> n,
                    std::optional<QByteArray> v);

// The payload of a bulk message: each row image after its 2-byte length.
QByteArray bulkMessage(const QList<QByteArray>& rows);

// numeric(5,2): a sign byte, then the value in hundredths in three bytes, big-endian.
QByteArray numeric52(quint32 hundredths);
