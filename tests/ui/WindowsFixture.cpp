#include "WindowsFixture.h"

#include "SqliteRows.h"

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
    session.open(
        ConnectionSettings{QStringLiteral("file:") + db, QStringLiteral("5000"), {}, {}, {}});
    session.execute(sql);
    session.close();
}

QStringList WindowsFixture::rows(const QString& db, const QString& sql) const
{
    return SqliteRows(db, sql);
}
