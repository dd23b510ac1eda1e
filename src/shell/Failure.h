#pragma once

#include <QString>

#include <exception>

// A failure of one step of a guarded procedure: the description the failing operation gave
// and, where the platform has one, its failure number. Guards report it and resume.
class Failure : public std::exception
{
public:
    explicit Failure(QString description, int number = 0)
        : m_description(std::move(description)), m_number(number), m_what(m_description.toUtf8())
    {
    }

    const QString& description() const noexcept { return m_description; }
    int number() const noexcept { return m_number; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    int m_number;
    QByteArray m_what;
};
