#include "SybaseASE.h"

void FillTableList(TableList& list, const SessionFactory& createSession,
                   const ConnectionSettings& values, Interaction& interaction)
{
    std::unique_ptr<DatabaseSession> session = createSession();
    ResultSet tables;
    session->open(values);
    tables.openTablesSchema(*session);
    list.clear();
    while (!tables.eof()) {
        if (tables.value(QStringLiteral("TABLE_TYPE")) == QStringLiteral("TABLE")) {
            interaction.yield();
            const QString name = tables.value(QStringLiteral("TABLE_NAME"));
            if (!name.toUpper().contains(QStringLiteral("SYS")))
                list.addItem(name);
        }
        tables.moveNext();
    }
    tables.close();
    session->close();
}
