#pragma once

#include "ConnectionSettings.h"
#include "SettingsStore.h"

#include <array>

// The live connection values behind the connection window's five boxes, with their
// write-through: every change saves the whole new text under the field's key at once;
// an assignment that leaves the text as it was saves nothing.
class ConnectionFields
{
public:
    enum Field { Server, Port, User, Password, Database };
    static constexpr int Count = 5;

    explicit ConnectionFields(const SettingsStore& store) : m_store(store) {}

    static const QString& keyOf(Field field);
    // The stored value, or its default when absent ("5000" for Port).
    QString storedValue(Field field) const;

    const QString& text(Field field) const { return m_texts[size_t(field)]; }
    // Returns whether the text changed (and so was saved).
    bool setText(Field field, const QString& text);

    ConnectionSettings values() const;

private:
    const SettingsStore& m_store;
    std::array<QString, Count> m_texts;
};
