#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The fields of one record held in memory (the header, kept as text), by the grammar the
// records of a file are read with (see RecordGrammar): quote null for none.
QStringList SplitRecord(QStringView record, const QString& separator, QChar quote);

// To delete once ImportRun reads its rows through RecordReader::next() and its header through
// SplitRecord().
//
// Cuts a line at every occurrence of the whole separator text, keeping empty pieces, in order.
// An empty separator gives the whole line as its only field; an empty line gives no field.
// The pieces view the line, which must outlive them.
void SplitFields(QStringView line, const QString& separator, QList<QStringView>& fields);
// The same for a line of UTF-8 and its separator in UTF-8: as UTF-8 never holds one character's
// bytes inside another's, the pieces are those of the decoded line.
void SplitFields(QByteArrayView line, QByteArrayView separator, QList<QByteArrayView>& fields);
// As SplitRecord. Fields view the record, or unquoted where quotes had to be undone; both must
// outlive them.
void SplitQuotedFields(QStringView record, const QString& separator, QChar quote, QString& unquoted,
                       QList<QStringView>& fields);
