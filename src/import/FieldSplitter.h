#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Cuts a line at every occurrence of the whole separator text, keeping empty pieces, in order.
// An empty separator gives the whole line as its only field; an empty line gives no field.
// The pieces view the line, which must outlive them.
void SplitFields(QStringView line, const QString& separator, QList<QStringView>& fields);
