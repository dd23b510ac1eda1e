#pragma once

#include <functional>

// The pointer setting of one window. Long commands set Busy while they work and Default when
// they end; the hover rules pick Default or Custom, but never while the window is busy. The
// window side shows the setting through the change callback.
class WindowPointer
{
public:
    static constexpr int Default = 0; // the arrow
    static constexpr int Busy = 11;   // the hourglass
    static constexpr int Custom = 99; // the window's hand pointer, or the arrow without one

    int value() const { return m_value; }
    void set(int value);
    bool isBusy() const { return m_value == Busy; }

    // Called with the new value whenever set() changes it; one listener, the window's display.
    void setChangeCallback(std::function<void(int)> callback) { m_changed = std::move(callback); }

private:
    int m_value = Default;
    std::function<void(int)> m_changed;
};
