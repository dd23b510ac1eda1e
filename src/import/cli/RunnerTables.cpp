#include "RunnerTables.h"

#include "ApplicationTitle.h"
#include "Guard.h"
#include "SybaseASE.h"

namespace {
// Lists every file as not loaded, for the reason given.
void listEveryFile(const TablePreparation& preparation, const QString& reason)
{
    if (!preparation.rejected)
        return;
    for (const QString& file : preparation.files)
        preparation.rejected->file(file, reason);
}

// The table list is filled first, as the main window's load does. False when it cannot be.
bool fillTables(MemoryTableList& tables, const TablePreparation& preparation)
{
    Guard load(preparation.interaction, Locations::MainLoad);
    QString cause; // why, in the database's own words (a failed login, say)
    load.line(118, [&] {
        try {
            FillTableList(tables, preparation.createSession, preparation.settings,
                          preparation.interaction);
        } catch (const Failure& failure) {
            cause = failure.description();
            throw;
        }
    });
    if (load.failures() == 0)
        return true;
    // Nothing was loaded: each file is listed once, with the reason.
    listEveryFile(preparation,
                  (cause.isEmpty() ? QString() : cause + QStringLiteral("\r\n")) +
                      QStringLiteral("The table list could not be read from the database; "
                                     "nothing was loaded."));
    return false;
}

// The target of --append, selected in the list; false when the database has no such table.
bool selectTarget(MemoryTableList& tables, const QString& target,
                  const TablePreparation& preparation)
{
    tables.setCurrentIndex(int(tables.items().indexOf(target)));
    if (tables.currentIndex() >= 0)
        return true;
    const QString text = QStringLiteral("The table %1 was not found in the database; nothing "
                                        "was loaded.")
                             .arg(target);
    preparation.interaction.messageBox(text, MessageStyle::Plain, ApplicationTitle());
    listEveryFile(preparation, text);
    return false;
}
} // namespace

bool PrepareTables(MemoryTableList& tables, const TablePreparation& preparation,
                   const std::optional<QString>& appendTarget)
{
    if (!fillTables(tables, preparation))
        return false;
    return !appendTarget || selectTarget(tables, *appendTarget, preparation);
}
