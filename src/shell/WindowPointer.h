#pragma once

#include <functional>

// What a window's pointer shows.
enum class Pointer
{
    Default, // the arrow
    Busy,    // the hourglass
    Custom,  // the window's hand pointer, or the arrow without one
};

// The pointer setting of one window. Long commands set Busy while they work and Default when
// they end; the hover rules pick Default or Custom, but never while the window is busy. The
// window side shows the setting through the change callback.
class WindowPointer
{
public:
    Pointer value() const { return m_value; }
    void set(Pointer value);
    bool isBusy() const { return m_value == Pointer::Busy; }

    // Called with the new value whenever set() changes it; one listener, the window's display.
    void setChangeCallback(std::function<void(Pointer)> callback)
    {
        m_changed = std::move(callback);
    }

private:
    Pointer m_value = Pointer::Default;
    std::function<void(Pointer)> m_changed;
};
