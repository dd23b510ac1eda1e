#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The text a row is sent as where its values are not bound, in UTF-8:
// "INSERT INTO [table] VALUES('a','b');" with every apostrophe of a value doubled. Reports show
// the failing statement as the database saw it, so this is the only place it is built.
QByteArray InsertText(const QString& table, const QList<QByteArrayView>& fields);
