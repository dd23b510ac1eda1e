#include "NamePattern.h"

namespace {
bool onlyStars(QStringView text)
{
    for (QChar c : text)
        if (c != u'*')
            return false;
    return true;
}

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}
} // namespace

NamePattern::NamePattern(QString pattern) : m_pattern(std::move(pattern))
{
    const QStringView text(m_pattern);
    if (onlyStars(text) || text == u"*.*") {
        m_kind = Kind::Everything;
    } else if (text.startsWith(u'*') && !text.mid(1).contains(u'*') &&
               !text.mid(1).contains(u'?')) {
        m_kind = Kind::Suffix;
        m_suffix = m_pattern.mid(1);
        // Between an ASCII suffix and an ASCII name, folding case is ASCII's upper to lower,
        // so the bytes tell the answer.
        if (isAscii(m_suffix)) {
            m_asciiSuffix = m_suffix.toLatin1().toLower();
            m_asciiSuffixUsable = true;
        }
    }
}

std::optional<bool> NamePattern::matchesBytes(std::string_view bytes) const
{
    if (m_kind == Kind::Everything)
        return true;
    if (!m_asciiSuffixUsable)
        return std::nullopt;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
    const qsizetype size = m_asciiSuffix.size();
    if (qsizetype(bytes.size()) < size)
        return false;
    const char* tail = bytes.data() + bytes.size() - size;
    for (qsizetype i = 0; i < size; ++i)
        if (asciiLower(tail[i]) != m_asciiSuffix[i])
            return false;
    return true;
}

bool NamePattern::matches(QStringView name) const
{
    switch (m_kind) {
    case Kind::Everything:
        return true;
    case Kind::Suffix:
        return name.endsWith(m_suffix, Qt::CaseInsensitive);
    case Kind::General:
        break;
    }
    const QStringView text(m_pattern);
    if (wildcardMatch(name, text))
        return true;
    return text.endsWith(u".*") && !name.contains(u'.') && wildcardMatch(name, text.chopped(2));
}

// Iterative matching with one saved star: on a mismatch the last star takes one more
// character. Linear in practice, never recursive.
bool NamePattern::wildcardMatch(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}
