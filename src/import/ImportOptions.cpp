#include "ImportOptions.h"

std::optional<QString> FixedImportOptions::targetTable() const
{
    if (!m_targetFrom)
        return m_values.targetTable;
    if (m_targetFrom->currentIndex() < 0)
        return std::nullopt;
    return m_targetFrom->currentText();
}
