#pragma once

#include <QString>
#include <QStringView>

// A file-name pattern matched case-insensitively: "*" stands for any run of characters (also
// none), "?" for exactly one. As with the directory listings the pattern comes from, a
// trailing ".*" also matches a name without a dot, so "*.*" matches every name.
class NamePattern
{
public:
    explicit NamePattern(QString pattern);

    bool matches(QStringView name) const;
    const QString& text() const { return m_pattern; }

private:
    enum class Kind
    {
        Everything, // "*", "*.*", "**" ...
        Suffix,     // "*" followed by text without wildcards: the common "*.txt"
        General
    };

    static bool wildcardMatch(QStringView name, QStringView pattern);

    QString m_pattern;
    Kind m_kind = Kind::General;
    QString m_suffix;
};
