#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The fields of one record held in memory (the header, kept as text), by the grammar the
// records of a file are read with (see RecordGrammar): quote null for none.
QStringList SplitRecord(QStringView record, const QString& separator, QChar quote);
