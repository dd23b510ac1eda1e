#include "ServerCharset.h"

#include "Failure.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <QHash>
#include <QRegularExpression>
#include <vector>

namespace {
const iconv_t NoConverter = iconv_t(-1);

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The length of the whole UTF-8 sequence that starts at offset.
qsizetype characterLength(QByteArrayView utf8, qsizetype offset)
{
    qsizetype end = offset + 1;
    while (end < utf8.size() && (uchar(utf8[end]) & 0xC0) == 0x80)
        ++end;
    return end - offset;
}

QString characterAt(QByteArrayView utf8, qsizetype offset)
{
    return QString::fromUtf8(utf8.sliced(offset, characterLength(utf8, offset)));
}

// Converts utf8 into the set, only counting the output. At a character the set cannot hold,
// unheld(offset) says whether to go on, the character then counting as one byte, or to stop.
template <typename Unheld>
qsizetype convertCounting(iconv_t converter, QByteArrayView utf8, Unheld&& unheld)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> out(4096);
    // iconv only reads its input, whatever its signature says.
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = size_t(utf8.size());
    qsizetype bytes = 0;
    while (inLeft > 0) {
        char* outPos = out.data();
        size_t outLeft = out.size();
        const size_t done = iconv(converter, &in, &inLeft, &outPos, &outLeft);
        bytes += qsizetype(out.size() - outLeft);
        if (done != size_t(-1) || errno == E2BIG)
            continue;
        // EILSEQ: no such character in the set. EINVAL cannot happen on whole UTF-8 text.
        const qsizetype at = in - utf8.data();
        if (!unheld(at))
            break;
        const size_t skip = size_t(characterLength(utf8, at));
        in += skip;
        inLeft -= skip;
        ++bytes;
    }
    return bytes;
}

QString codePoints(const QString& character)
{
    QStringList points;
    for (char32_t point : character.toUcs4())
        points << QStringLiteral("U+%1").arg(uint(point), 4, 16, QLatin1Char('0')).toUpper();
    return points.join(QLatin1Char(' '));
}
} // namespace

QByteArray ServerCharset::encodingFor(const QString& name)
{
    // The server's names as the client library reads them; the rest follow a pattern below.
    static const QHash<QString, QByteArray> named = {
        {QStringLiteral("utf8"), "UTF-8"},          {QStringLiteral("iso_1"), "ISO-8859-1"},
        {QStringLiteral("ascii_8"), "ISO-8859-1"},  {QStringLiteral("iso646"), "ANSI_X3.4-1968"},
        {QStringLiteral("roman8"), "ROMAN8"},       {QStringLiteral("roman9"), "ROMAN9"},
        {QStringLiteral("mac_cyr"), "MACCYRILLIC"}, {QStringLiteral("macturk"), "MACTURKISH"},
        {QStringLiteral("koi8"), "KOI8-R"},
    };
    const QString lower = name.trimmed().toLower();
    if (lower.isEmpty())
        return {};
    if (const auto it = named.constFind(lower); it != named.constEnd())
        return it.value();
    // iso88592 and iso15 are ISO-8859-2 and ISO-8859-15; cp850, sjis, ... keep their names.
    static const QRegularExpression iso(QStringLiteral("^iso(?:8859)?(\\d{1,2})$"));
    if (const QRegularExpressionMatch m = iso.match(lower); m.hasMatch())
        return "ISO-8859-" + m.captured(1).toLatin1();
    return lower.toUpper().toLatin1();
}

ServerCharset::ServerCharset(const QString& name) : m_name(name)
{
    const QByteArray encoding = encodingFor(name);
    if (encoding.isEmpty() || encoding == "UTF-8")
        return; // every character fits
    const iconv_t converter = iconv_open(encoding.constData(), "UTF-8");
    if (converter == NoConverter)
        return;
    m_converter = converter;
    m_encoding = encoding;
}

ServerCharset::~ServerCharset()
{
    if (m_converter)
        iconv_close(iconv_t(m_converter));
}

std::optional<QString> ServerCharset::refusal(const QString& statement) const
{
    if (!m_converter)
        return std::nullopt;
    return refusal(QByteArrayView(statement.toUtf8()));
}

std::optional<QString> ServerCharset::refusal(QByteArrayView utf8) const
{
    if (!m_converter || isAscii(utf8))
        return std::nullopt;
    std::optional<QString> refused;
    convertCounting(iconv_t(m_converter), utf8, [&](qsizetype at) {
        const QString character = characterAt(utf8, at);
        refused = QStringLiteral("The character \"%1\" (%2) cannot be sent: the server's "
                                 "character set %3 has no such character.")
                      .arg(character, codePoints(character), m_name);
        return false;
    });
    return refused;
}

qsizetype ServerCharset::encodedLength(QByteArrayView utf8, qsizetype limit) const
{
    // No set takes more than four bytes for one character, and a character takes at least one
    // byte of UTF-8: a shorter text needs no count.
    if (!m_converter || utf8.size() * 4 <= limit)
        return utf8.size();
    return convertCounting(iconv_t(m_converter), utf8, [](qsizetype) { return true; });
}

QByteArray ServerCharset::encoded(QByteArrayView utf8) const
{
    if (!m_converter || isAscii(utf8))
        return utf8.toByteArray();
    const iconv_t converter = iconv_t(m_converter);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // No set takes more than four bytes for a character.
    QByteArray out(utf8.size() * 4, Qt::Uninitialized);
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = size_t(utf8.size());
    char* outPos = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0 && iconv(converter, &in, &inLeft, &outPos, &outLeft) == size_t(-1)) {
        if (errno != EILSEQ)
            break;
        const size_t skip = size_t(characterLength(utf8, in - utf8.data()));
        in += skip;
        inLeft -= skip;
    }
    out.truncate(outPos - out.data());
    return out;
}

void ServerCharset::check(const QString& statement) const
{
    if (const std::optional<QString> text = refusal(statement))
        throw Failure(*text);
}
