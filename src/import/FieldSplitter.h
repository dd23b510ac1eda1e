#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// Cuts a line at every occurrence of the whole separator text, keeping empty pieces, in order.
// An empty separator gives the whole line as its only field; an empty line gives no field.
// The pieces view the line, which must outlive them.
void SplitFields(QStringView line, const QString& separator, QList<QStringView>& fields);
// The same for a line of UTF-8 and its separator in UTF-8: as UTF-8 never holds one character's
// bytes inside another's, the pieces are those of the decoded line.
void SplitFields(QByteArrayView line, QByteArrayView separator, QList<QByteArrayView>& fields);

// As SplitFields, but a field that begins with the quote character runs to its closing quote,
// may hold the separator and line breaks, and holds the quote doubled for one. What follows a
// closing quote up to the next separator belongs to the field as it stands. Fields view the
// record, or unquoted where quotes had to be undone; both must outlive them.
void SplitQuotedFields(QStringView record, const QString& separator, QChar quote, QString& unquoted,
                       QList<QStringView>& fields);
