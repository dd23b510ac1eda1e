#include "SqliteRows.h"

#include <QFile>
#include <QStringDecoder>

#include <sqlite3.h>

namespace {
// As stored: a U+FEFF at the start of a value is data, which QString::fromUtf8 would drop.
QString text(const char* utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8));
}
} // namespace

QStringList SqliteRows(const QString& databaseFile, const QString& sql)
{
    sqlite3* db = nullptr;
    QStringList rows;
    if (sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    // The server under test may hold a lock for a moment: wait for it, never read "nothing".
    sqlite3_busy_timeout(db, 30000);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList fields;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                fields << (sqlite3_column_type(st, i) == SQLITE_NULL
                               ? QStringLiteral("<null>")
                               : text(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
            rows << fields.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}
