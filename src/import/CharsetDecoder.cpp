#include "CharsetDecoder.h"

#include "Failure.h"

#include <algorithm>
#include <cstring>
#include <QSysInfo>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace {
constexpr UChar Replacement = 0xFFFD;
// Bytes of a fault shown in its description; a longer run is cut short.
constexpr qsizetype ShownBytes = 16;

// ICU reads UTF-16 and UTF-32 without a mark as big-endian; this reader has always read them
// in the machine's order, so such files keep reading as they did.
const char* inMachineOrder(const char* canonicalName)
{
    constexpr bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if (std::strcmp(canonicalName, "UTF-16") == 0)
        return little ? "UTF-16LE" : "UTF-16BE";
    if (std::strcmp(canonicalName, "UTF-32") == 0)
        return little ? "UTF-32LE" : "UTF-32BE";
    return nullptr;
}

UConverter* openConverter(const QString& name)
{
    if (name.isEmpty())
        return nullptr; // ICU would take it for the default encoding
    UErrorCode error = U_ZERO_ERROR;
    // "Locale" is how the system's own encoding has always been named here.
    const bool locale = name.compare(QLatin1String("Locale"), Qt::CaseInsensitive) == 0;
    UConverter* converter = ucnv_open(locale ? nullptr : name.toLatin1().constData(), &error);
    if (U_FAILURE(error))
        return nullptr;
    if (const char* ordered = inMachineOrder(ucnv_getName(converter, &error))) {
        ucnv_close(converter);
        converter = ucnv_open(ordered, &error);
        if (U_FAILURE(error))
            return nullptr;
    }
    return converter;
}

// The first bytes of a fault, and how many more it has.
QString hexOf(const QByteArray& shownBytes, qint64 length)
{
    QString shown = QString::fromLatin1(shownBytes.toHex(' ').toUpper());
    if (length > shownBytes.size())
        shown += QStringLiteral(" and %1 more").arg(length - shownBytes.size());
    return shown;
}
} // namespace

// ICU calls it for every sequence that does not decode; it notes the sequence and writes one
// U+FFFD in its place.
struct BadBytes
{
    static void call(const void* context, UConverterToUnicodeArgs* args, const char* bytes,
                     int32_t length, UConverterCallbackReason reason, UErrorCode* error)
    {
        if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
            return; // the converter being reset, closed or cloned
        auto* decoder = static_cast<CharsetDecoder*>(const_cast<void*>(context));
        decoder->note(args->target, QByteArrayView(bytes, length),
                      *error == U_TRUNCATED_CHAR_FOUND);
        *error = U_ZERO_ERROR;
        ucnv_cbToUWriteUChars(args, &Replacement, 1, 0, error);
    }
};

CharsetDecoder::~CharsetDecoder()
{
    close();
}

void CharsetDecoder::close()
{
    if (m_converter)
        ucnv_close(m_converter);
    m_converter = nullptr;
    m_faults.clear();
    m_writtenAt = 0;
}

bool CharsetDecoder::open(const QString& name)
{
    close();
    m_converter = openConverter(name);
    if (!m_converter)
        return false;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setToUCallBack(m_converter, &BadBytes::call, this, nullptr, nullptr, &error);
    m_name = name.compare(QLatin1String("Locale"), Qt::CaseInsensitive) == 0
                 ? QString::fromLatin1(ucnv_getName(m_converter, &error))
                 : name;
    return U_SUCCESS(error);
}

QStringList CharsetDecoder::availableNames()
{
    QStringList names;
    const int32_t count = ucnv_countAvailable();
    for (int32_t i = 0; i < count; ++i) {
        const char* name = ucnv_getAvailableName(i);
        UErrorCode error = U_ZERO_ERROR;
        const char* iana = ucnv_getStandardName(name, "IANA", &error);
        names << QString::fromLatin1(U_SUCCESS(error) && iana ? iana : name);
    }
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    return names;
}

bool CharsetDecoder::isKnown(const QString& name)
{
    CharsetDecoder decoder;
    return decoder.open(name);
}

void CharsetDecoder::decode(QByteArrayView bytes, QString& text, bool last)
{
    Q_ASSERT(m_converter);
    // Most encodings give at most one UTF-16 unit a byte; the margin holds a character kept
    // from the bytes before and a few replacements. Should it not do, the text grows.
    text.resize(0); // keeps the memory of the text before
    text.resize(bytes.size() + 32);
    const char* source = bytes.isNull() ? "" : bytes.data(); // ICU wants a pointer to nothing
    const char* const sourceEnd = source + bytes.size();
    qsizetype written = 0;
    for (;;) {
        char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
        UChar* target = begin + written;
        m_written = target;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter, &target, begin + text.size(), &source, sourceEnd, nullptr, last,
                       &error);
        m_writtenAt += target - m_written;
        written = target - begin;
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            text.resize(text.size() * 2);
            continue;
        }
        if (U_FAILURE(error))
            throw Failure(QStringLiteral("The text cannot be decoded as %1: %2")
                              .arg(m_name, QString::fromLatin1(u_errorName(error))));
        break;
    }
    text.resize(written);
}

void CharsetDecoder::note(const char16_t* target, QByteArrayView bytes, bool truncated)
{
    const qint64 at = m_writtenAt + (target - m_written);
    // Bad bytes one after another are one fault: "82 FF", not "82" and then "FF".
    if (!truncated && !m_faults.empty() && !m_faults.back().truncated &&
        m_faults.back().end == at) {
        Fault& run = m_faults.back();
        run.bytes += bytes.first(std::min(bytes.size(), ShownBytes - run.bytes.size()));
        run.length += bytes.size();
        run.end = at + 1;
        return;
    }
    m_faults.push_back({at, at + 1, bytes.first(std::min(bytes.size(), ShownBytes)).toByteArray(),
                        bytes.size(), truncated});
}

QString CharsetDecoder::takeFaultsUpTo(qint64 position)
{
    if (m_faults.empty() || m_faults.front().at > position)
        return {};
    QString description = describe(m_faults.front());
    m_faults.pop_front();
    qint64 more = 0;
    for (; !m_faults.empty() && m_faults.front().at <= position; ++more)
        m_faults.pop_front();
    if (more == 1)
        description += QStringLiteral(" The line has one more place that cannot be read.");
    else if (more > 1)
        description +=
            QStringLiteral(" The line has %1 more places that cannot be read.").arg(more);
    return description;
}

QString CharsetDecoder::describe(const Fault& fault) const
{
    const bool one = fault.length == 1;
    if (fault.truncated)
        return QStringLiteral("The file ends inside a character: the %1 %2 %3 one in %4 that "
                              "never ends.")
            .arg(one ? QStringLiteral("byte") : QStringLiteral("bytes"),
                 hexOf(fault.bytes, fault.length),
                 one ? QStringLiteral("begins") : QStringLiteral("begin"), m_name);
    return QStringLiteral("The %1 %2 cannot be read as %3.")
        .arg(one ? QStringLiteral("byte") : QStringLiteral("bytes"),
             hexOf(fault.bytes, fault.length), m_name);
}
