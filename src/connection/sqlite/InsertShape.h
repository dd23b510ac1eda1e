#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// Recognises the import run's own row statement, INSERT INTO [table] VALUES('a','b',...);
// so the embedded database can bind the values to a statement it prepared once per table
// instead of parsing every row's text. Anything else is left to the general path.
struct InsertShape
{
    QStringView table;
    // Each value's text with doubled apostrophes already undone.
    std::vector<QString> values;

    // False when the text is not exactly of that shape.
    bool parse(QStringView statement);
};
