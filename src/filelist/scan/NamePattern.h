#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <string_view>

// A file-name pattern matched case-insensitively: "*" stands for any run of characters (also
// none), "?" for exactly one. As with the directory listings the pattern comes from, a
// trailing ".*" also matches a name without a dot, so "*.*" matches every name.
class NamePattern
{
public:
    explicit NamePattern(QString pattern);

    bool matches(QStringView name) const;
    // For a name as the file system spells it: false when the pattern cannot match it, found
    // without decoding the name, which is most of the cost of a listing; true when it may (only
    // matches() on the decoded name then tells).
    bool mayMatch(std::string_view bytes) const;
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
    // The suffix in lower case when it is plain ASCII: an ASCII name is then matched byte by byte.
    QByteArray m_asciiSuffix;
    bool m_asciiSuffixUsable = false;
};
