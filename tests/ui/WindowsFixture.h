#pragma once

#include "AppContext.h"
#include "ConnectionWindow.h"
#include "MainWindow.h"
#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <memory>
#include <QLineEdit>
#include <QPushButton>

// Both windows over a settings store, program folder and databases of the test's own.
struct WindowsFixture
{
    TestEnvironment env;
    SettingsStore store{env.settingsFile()};
    ScriptedInteraction ui;
    int quits = 0;
    AppContext context{ui, store, env.path(QStringLiteral("program")), defaultSessionFactory(),
                       [this] { ++quits; }};
    std::unique_ptr<ConnectionWindow> connectionWindow;

    QString database(const QString& name = QStringLiteral("main.db")) const
    {
        return env.path(name);
    }
    // Stores settings that open an embedded database.
    void storeWorkingSettings(const QString& db);
    ConnectionWindow& start();
    MainWindow& mainWindow() { return *connectionWindow->mainWindow(); }

    template <typename T = QWidget> T* connectionControl(const char* name) const
    {
        return connectionWindow->findChild<T*>(QString::fromLatin1(name));
    }
    template <typename T = QWidget> T* mainControl(const char* name)
    {
        return mainWindow().findChild<T*>(QString::fromLatin1(name));
    }
    void clickOnConnectionWindow(const char* name)
    {
        connectionControl<QPushButton>(name)->click();
    }
    void clickOnMainWindow(const char* name) { mainControl<QPushButton>(name)->click(); }
    // The entries of the main window's table list.
    QStringList existingTables();
    void execute(const QString& db, const QString& sql) const;
    QStringList rows(const QString& db, const QString& sql) const;
};
