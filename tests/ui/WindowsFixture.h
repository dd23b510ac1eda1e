#pragma once

#include "AppContext.h"
#include "Form1.h"
#include "Form2.h"
#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <QLineEdit>
#include <QPushButton>

#include <memory>

// Both windows over a settings store, program folder and databases of the test's own.
struct WindowsFixture
{
    TestEnvironment env;
    SettingsStore store{env.settingsFile()};
    ScriptedInteraction ui;
    int quits = 0;
    AppContext context{ui, store, env.path(QStringLiteral("program")), defaultSessionFactory(), [this] { ++quits; }};
    std::unique_ptr<Form1> form1;

    QString database(const QString& name = QStringLiteral("main.db")) const { return env.path(name); }
    // Stores settings that open an embedded database.
    void storeWorkingSettings(const QString& db);
    Form1& start();
    Form2& form2() { return *form1->mainWindow(); }

    template <typename T = QWidget>
    T* control1(const char* name) const
    {
        return form1->findChild<T*>(QString::fromLatin1(name));
    }
    template <typename T = QWidget>
    T* control2(const char* name)
    {
        return form2().findChild<T*>(QString::fromLatin1(name));
    }
    void click1(const char* name) { control1<QPushButton>(name)->click(); }
    void click2(const char* name) { control2<QPushButton>(name)->click(); }
    void execute(const QString& db, const QString& sql) const;
    QStringList rows(const QString& db, const QString& sql) const;
};
