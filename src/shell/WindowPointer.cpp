#include "WindowPointer.h"

void WindowPointer::set(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    if (m_changed)
        m_changed(m_value);
}
