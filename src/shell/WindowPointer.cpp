#include "WindowPointer.h"

void WindowPointer::set(Pointer value)
{
    if (value == m_value)
        return;
    m_value = value;
    if (m_changed)
        m_changed(m_value);
}
