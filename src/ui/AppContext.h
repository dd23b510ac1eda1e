#pragma once

#include "DatabaseSession.h"
#include "Interaction.h"
#include "SettingsStore.h"

#include <QString>

#include <functional>

// What both windows share: the user's settings, the interaction, the program folder (where
// the pointer and skin files are looked for), the session factory, and how the program ends.
struct AppContext
{
    Interaction& interaction;
    SettingsStore& store;
    QString programFolder;
    SessionFactory createSession = defaultSessionFactory();
    // Closing either window ends the program at once; tests record the call instead.
    std::function<void()> quit;
};

// The maker's home page, opened on one start in a hundred.
inline const QString MakerHomePage = QStringLiteral("https://www.tessaloom.org/");
