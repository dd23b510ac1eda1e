#pragma once

#include "ColumnProfile.h"
#include "LineReader.h"

#include <functional>
#include <optional>
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <vector>

// The values of a working copy gathered into column profiles straight from its lines, with no
// record built: the inference reads the whole file before the table is made, so each field
// costs a few byte tests. Fields are cut as RecordGrammar cuts a record with no quoted field.
struct ColumnScan
{
    QByteArray separator;               // UTF-8; empty: a line is one field
    QByteArray quote;                   // UTF-8; empty: none
    std::optional<QByteArray> nullText; // a field equal to it stands for no value
    qint64 headerLine = 0;              // the line naming the columns, not a row; 0: none
    std::function<void()> yield;        // called for every line
    // The bytes a value holding a byte past ASCII takes in the database's character set.
    std::function<qint64(QByteArrayView)> storedLength;

    // Profiles the lines of reader (opened on our own UTF-8). False, with the profiles partly
    // filled, when a field begins with the quote: it may hold line breaks, and the file is then
    // read record by record instead.
    bool profileLines(LineReader& reader, std::vector<ColumnProfile>& profiles) const;
    // Adds the fields of one record, the first ones as far as there are profiles.
    void profileFields(const QList<QByteArrayView>& fields,
                       std::vector<ColumnProfile>& profiles) const;

private:
    // False when a field of the line begins with the quote.
    bool profileLine(QByteArrayView line, std::vector<ColumnProfile>* profiles) const;
    void addValue(QByteArrayView field, bool ascii, ColumnProfile& profile) const;
};
