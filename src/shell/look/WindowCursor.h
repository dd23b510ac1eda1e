#pragma once

#include "WindowPointer.h"

#include <optional>
#include <QCursor>
#include <QPointer>

class QWidget;

// Shows a window's pointer setting as the window's cursor: Default the arrow, Busy the wait
// cursor, Custom the window's hand cursor (the arrow while it has none). Children that set
// no cursor of their own show the same. The window holds it as a member declared after its
// WindowPointer, so it lets go of the pointer's callback before the pointer goes.
class WindowCursor
{
public:
    WindowCursor(WindowPointer& pointer, QWidget& window);
    ~WindowCursor();

    WindowCursor(const WindowCursor&) = delete;
    WindowCursor& operator=(const WindowCursor&) = delete;

    // Loads "HAND-M.CUR" from the program folder as the hand cursor when PathExists holds
    // for it; a missing file leaves the window without one and is no failure. Throws Failure
    // (481, "Invalid picture") when the file is there but is no readable cursor.
    void loadHandCursor(const QString& programFolder);

    void setHandCursor(std::optional<QCursor> cursor);
    bool hasHandCursor() const { return m_hand.has_value(); }
    const std::optional<QCursor>& handCursor() const { return m_hand; }

    // The cursor that the pointer setting stands for.
    QCursor cursorFor(Pointer pointerValue) const;

private:
    void show();

    WindowPointer& m_pointer;
    QPointer<QWidget> m_window;
    std::optional<QCursor> m_hand;
};
