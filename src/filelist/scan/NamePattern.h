#pragma once

#include <optional>
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
    // For a name as the file system spells it: whether the pattern matches it, when that can be
    // told without decoding the name (decoding is most of the cost of a listing); nothing when
    // only matches() on the decoded name can tell.
    std::optional<bool> matchesBytes(std::string_view bytes) const;
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
