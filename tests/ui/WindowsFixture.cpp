#include "WindowsFixture.h"

#include "SqliteRows.h"

#include <QListWidget>

void WindowsFixture::storeWorkingSettings(const QString& db)
{
    store.SaveSetting(SettingKeys::Server, QStringLiteral("file:") + db);
}

ConnectionWindow& WindowsFixture::start()
{
    connectionWindow = std::make_unique<ConnectionWindow>(context);
    connectionWindow->load();
    return *connectionWindow;
}

QStringList WindowsFixture::existingTables()
{
    const auto* list = mainControl<QListWidget>("List1");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
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
