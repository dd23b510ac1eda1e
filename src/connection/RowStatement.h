#pragma once

#include <cstdint>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

// One row's INSERT as the import run hands it to a session. The text is exact; the table and
// fields it was built from let a provider bind the values instead of parsing the text back.
// A provider that binds may get the fields as UTF-8 instead (utf8 set): the bytes the text's
// own conversion would give, so a row read as UTF-8 is never decoded and encoded again.
// The field views are only valid during the call that receives them.
struct RowStatement
{
    std::int64_t ticket = 0; // the caller's tag; outcomes carry it back
    QString text;            // empty when the provider binds fields (bindsRowFields())
    QString table;
    QList<QStringView> fields;
    bool utf8 = false; // the fields are utf8Fields, not fields
    QList<QByteArrayView> utf8Fields;
};

// What became of one submitted row, final: loaded means committed, or as durable as the
// provider makes any row.
struct RowOutcome
{
    std::int64_t ticket = 0;
    bool loaded = false;
    bool connectionLost = false; // not loaded because the connection went
    // Not loaded because the database could not keep it (a full disk): nothing more of the
    // file can be, so the rest is not sent.
    bool storageFailed = false;
    QString description; // the database's own text when not loaded
    // When the connection was lost: its own words, without what the description may add of
    // this row (a statement in flight may have been applied). Rows never sent get these.
    QString lostCause;
};

// The text of a row's UTF-8 bytes. Unlike QString::fromUtf8, a leading U+FEFF is kept: inside
// a file it is data, not a mark.
inline QString RowText(QByteArrayView utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}
