#pragma once

#include "AppContext.h"
#include "ConnectionFields.h"
#include "ConnectionProbe.h"
#include "SkinFramework.h"
#include "WindowCursor.h"
#include "WindowPointer.h"

#include <array>
#include <memory>
#include <QWidget>

class MainWindow;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The connection set-up window, the program's start-up window: the five connection boxes
// (the live connection values), "Test Connection", "Help" and "Next >".
class ConnectionWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ConnectionWindow(AppContext& app);
    ~ConnectionWindow() override;

    // The load sequence: skin, caption, icon and title, hand pointer, the one-in-a-hundred
    // home page, the boxes from the store, and the probe that may hand over to the main window.
    // Shows this window, silently, when it did not hand over.
    void load();
    // "Test Connection": "Connection successful.", or "Could not connect." and the reason.
    void testConnection();
    void showHelp(); // "Help"
    // "Next >": hands over to the main window, or says why it cannot.
    void goToMainWindow();

    // The five boxes as they stand now.
    ConnectionSettings connectionValues() const;
    // The main window; null until it was first shown.
    MainWindow* mainWindow() const { return m_mainWindow.get(); }
    WindowPointer& pointer() { return m_pointer; }
    const WindowCursor& windowCursor() const { return m_cursor; }
    SkinFramework& skinFramework() { return m_skin; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Return or Enter presses "Next >", or the focused button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildConnectionBoxes();
    void buildButtons();
    void setUpFocusAndPointers();
    void showMainWindow();
    // ProbeConnection on the boxes' values, the busy pointer showing while the login runs.
    ProbeOutcome probeWhileBusy();
    QLineEdit* box(ConnectionFields::Field field) const { return m_boxes[size_t(field)]; }

    AppContext& m_app;
    ConnectionFields m_fields;
    WindowPointer m_pointer;
    WindowCursor m_cursor{m_pointer, *this};
    SkinFramework m_skin; // SkinFramework1
    QGroupBox* m_databaseFrame = nullptr;
    std::array<QLineEdit*, ConnectionFields::Count> m_boxes{};
    QPushButton* m_testConnectionButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    std::unique_ptr<MainWindow> m_mainWindow;
};
