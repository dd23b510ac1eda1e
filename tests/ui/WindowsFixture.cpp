#include "WindowsFixture.h"

#include <sqlite3.h>

void WindowsFixture::storeWorkingSettings(const QString& db)
{
    store.SaveSetting(SettingKeys::Server, QStringLiteral("file:") + db);
}

Form1& WindowsFixture::start()
{
    form1 = std::make_unique<Form1>(context);
    form1->Form_Load();
    return *form1;
}

void WindowsFixture::execute(const QString& db, const QString& sql) const
{
    DatabaseSession session;
    session.open(BuildConnectionString({QStringLiteral("file:") + db, QStringLiteral("5000"), {}, {}, {}}));
    session.execute(sql);
    session.close();
}

QStringList WindowsFixture::rows(const QString& db, const QString& sql) const
{
    sqlite3* handle = nullptr;
    QStringList out;
    sqlite3_open_v2(db.toUtf8().constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(handle);
    return out;
}
