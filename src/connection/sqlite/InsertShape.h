#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <vector>

// Recognises the import run's own row statement, INSERT INTO [table] VALUES('a','b',...);
// so the embedded database can bind the values to a statement it prepared once per table
// instead of parsing every row's text. Anything else is left to the general path.
struct InsertShape
{
    QStringView table;
    // Each value as it stands between its apostrophes (doubled apostrophes still doubled).
    std::vector<QStringView> rawValues;

    // False when the text is not exactly of that shape.
    bool parse(QStringView statement);

    // The values as UTF-8, doubled apostrophes undone, packed into one buffer; ends[i] is
    // where value i ends (it starts where value i - 1 ends).
    void encodeValues(std::string& buffer, std::vector<size_t>& ends) const;
};
