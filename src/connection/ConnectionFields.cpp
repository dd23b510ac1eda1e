#include "ConnectionFields.h"

const QString& ConnectionFields::keyOf(Field field)
{
    static const std::array<QString, Count> keys = {SettingKeys::Server, SettingKeys::Port, SettingKeys::User,
                                                     SettingKeys::Password, SettingKeys::Database};
    return keys[size_t(field)];
}

QString ConnectionFields::storedValue(Field field) const
{
    return m_store.GetSetting(keyOf(field), field == Port ? QStringLiteral("5000") : QString());
}

bool ConnectionFields::setText(Field field, const QString& text)
{
    QString& current = m_texts[size_t(field)];
    if (current == text)
        return false;
    current = text;
    m_store.SaveSetting(keyOf(field), text);
    return true;
}

ConnectionSettings ConnectionFields::values() const
{
    return {text(Server), text(Port), text(User), text(Password), text(Database)};
}
