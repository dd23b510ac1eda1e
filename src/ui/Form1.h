#pragma once

#include "AppContext.h"
#include "ConnectionFields.h"
#include "SkinFramework.h"
#include "WindowCursor.h"
#include "WindowPointer.h"

#include <QWidget>

#include <array>
#include <memory>

class Form2;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The connection set-up window, the program's start-up window: the five connection boxes
// (the live connection values), "Test Connection", "Help" and "Next >".
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(AppContext& app);
    ~Form1() override;

    // The load sequence: skin, caption, icon and title, hand pointer, the one-in-a-hundred
    // home page, the boxes from the store, and the probe that may hand over to the main window.
    // Shows this window when it did not hand over.
    void Form_Load();
    void PushButton7_Click(); // Test Connection
    void PushButton6_Click(); // Help
    void PushButton3_Click(); // Next >

    // The five boxes as they stand now.
    ConnectionSettings connectionValues() const;
    // The main window; null until it was first shown.
    Form2* mainWindow() const { return m_form2.get(); }
    WindowPointer& pointer() { return m_pointer; }
    const WindowCursor& windowCursor() const { return m_cursor; }
    SkinFramework& skinFramework() { return m_skin; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void showMainWindow();
    QLineEdit* box(ConnectionFields::Field field) const { return m_boxes[size_t(field)]; }

    AppContext& m_app;
    ConnectionFields m_fields;
    WindowPointer m_pointer;
    WindowCursor m_cursor{m_pointer, *this};
    SkinFramework m_skin; // SkinFramework1
    QGroupBox* m_frame1 = nullptr;
    std::array<QLineEdit*, ConnectionFields::Count> m_boxes{};
    QPushButton* m_testConnection = nullptr; // PushButton7
    QPushButton* m_help = nullptr;           // PushButton6
    QPushButton* m_next = nullptr;           // PushButton3
    std::unique_ptr<Form2> m_form2;
};
