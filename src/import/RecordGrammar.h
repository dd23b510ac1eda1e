#pragma once

#include <algorithm>
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <type_traits>

// A field whose view waits for the end of its record: one that had to be unquoted, put
// together apart, and every field of a record that runs over several lines, whose text moves as
// it grows.
struct FieldSpan
{
    qsizetype field = 0; // its place in the record
    qsizetype from = 0;
    qsizetype size = 0;
    bool unquoted = false;
};

// The grammar of one record of a delimited file, read in one pass, for UTF-8 bytes
// (QByteArrayView) or text (QStringView). Fields are cut at every occurrence of the whole
// separator. A field that begins with the quote runs to its closing quote, may hold the
// separator and line breaks, and holds the quote doubled for one; what follows the closing
// quote up to the next separator belongs to the field as it stands. An empty separator makes
// the record one field; an empty record has none.
//
// A record is read a line at a time: while read() says a quote is still open, the caller adds
// the line break and the next line to the text and reads on from where the text ended.
template <typename View> class RecordGrammar
{
public:
    using Buffer = std::conditional_t<std::is_same_v<View, QByteArrayView>, QByteArray, QString>;
    using Unit = std::remove_cv_t<std::remove_pointer_t<decltype(View().data())>>;

    // An empty quote is none; the quote is never part of the separator (the runner refuses
    // that), so a closing quote never begins a separator. A separator that cannot match (one
    // UTF-8 cannot hold) leaves every line one field.
    void setMatching(const Buffer& separator, View quote, bool separatorMatches = true)
    {
        // Set for every row of a file: the same separator is kept without a copy.
        if (!separatorMatches)
            m_separator = Buffer();
        else if (!m_separator.isSharedWith(separator))
            m_separator = separator;
        m_quoteSize = std::min<qsizetype>(quote.size(), MaxQuote);
        std::copy(quote.data(), quote.data() + m_quoteSize, m_quote);
    }

    // Starts a record whose fields go to fields; without a list only the record's end is found.
    void begin(QList<View>* fields)
    {
        m_fields = fields;
        if (fields)
            fields->clear();
        m_state = State::FieldStart;
        m_severalLines = false;
        m_spans.clear();
        if (!m_unquoted.isEmpty())
            m_unquoted.resize(0);
    }
    // Reads the record's text from position i on; what stands before it was read already.
    // True when a quote is still open at the end of the text.
    bool read(View text, qsizetype i);
    // Ends the record with its text (the file may have ended inside a quote): the fields are
    // views of it and of unquoted(), valid while both are.
    void end(View text);

    const Buffer& unquoted() const { return m_unquoted; }

private:
    enum class State
    {
        FieldStart,
        Unquoted, // up to the next separator, also after a closing quote
        Quoted
    };
    static constexpr qsizetype MaxQuote = 4; // one character, in UTF-8 at most 4 bytes

    View quote() const { return View(m_quote, m_quoteSize); }
    bool quoteAt(View text, qsizetype i) const
    {
        if (m_quoteSize == 1)
            return i < text.size() && text[i] == m_quote[0];
        return m_quoteSize > 0 && text.sliced(i).startsWith(quote());
    }
    qsizetype findSeparator(View text, qsizetype from) const
    {
        return m_separator.isEmpty() ? -1 : text.indexOf(View(m_separator), from);
    }
    bool separatorAt(View text, qsizetype i) const
    {
        if (m_separator.size() == 1)
            return i < text.size() && text[i] == m_separator[0];
        return !m_separator.isEmpty() && text.sliced(i).startsWith(View(m_separator));
    }
    void startField(qsizetype at)
    {
        m_fieldFrom = m_fieldEnd = m_pieceFrom = at;
        m_fieldUnquoted = false;
    }
    // Adds text[from, to) to the field being read.
    void addPiece(View text, qsizetype from, qsizetype to)
    {
        if (from == to || !m_fields)
            return;
        if (!m_fieldUnquoted) {
            // Most fields are one run of the text and are handed out as a view of it.
            if (m_fieldEnd == m_fieldFrom || from == m_fieldEnd) {
                m_fieldFrom = m_fieldEnd == m_fieldFrom ? from : m_fieldFrom;
                m_fieldEnd = to;
                return;
            }
            m_unquotedFrom = m_unquoted.size();
            m_unquoted.append(text.sliced(m_fieldFrom, m_fieldEnd - m_fieldFrom));
            m_fieldUnquoted = true;
        }
        m_unquoted.append(text.sliced(from, to - from));
    }
    void endField(View text)
    {
        if (!m_fields)
            return;
        const qsizetype field = m_fields->size();
        if (m_fieldUnquoted) {
            m_spans.append(
                FieldSpan{field, m_unquotedFrom, m_unquoted.size() - m_unquotedFrom, true});
            m_fields->append(View());
        } else if (m_severalLines) {
            m_spans.append(FieldSpan{field, m_fieldFrom, m_fieldEnd - m_fieldFrom, false});
            m_fields->append(View());
        } else {
            m_fields->append(text.sliced(m_fieldFrom, m_fieldEnd - m_fieldFrom));
        }
    }
    // The record goes on past this text, which will move: its fields so far keep their places.
    void holdPlaces(View text)
    {
        if (!m_fields)
            return;
        for (qsizetype field = 0; field < m_fields->size(); ++field) {
            const View view = m_fields->at(field);
            if (!view.isNull())
                m_spans.append(FieldSpan{field, view.data() - text.data(), view.size(), false});
        }
        m_severalLines = true;
    }

    Buffer m_separator;
    Unit m_quote[MaxQuote] = {};
    qsizetype m_quoteSize = 0;

    QList<View>* m_fields = nullptr;
    State m_state = State::FieldStart;
    bool m_severalLines = false;
    qsizetype m_pieceFrom = 0; // where the piece of the field being read began
    qsizetype m_fieldFrom = 0, m_fieldEnd = 0;
    bool m_fieldUnquoted = false;
    qsizetype m_unquotedFrom = 0;
    QList<FieldSpan> m_spans; // fields viewed once the record ends
    Buffer m_unquoted;
};

template <typename View> bool RecordGrammar<View>::read(View text, qsizetype i)
{
    const qsizetype n = text.size();
    for (;;) {
        switch (m_state) {
        case State::FieldStart:
            // Fields without a quote, most of them, are cut here without going round the states.
            while (i < n && !quoteAt(text, i)) {
                const qsizetype at = findSeparator(text, i);
                if (at < 0) {
                    // The last field runs to the end of the record.
                    startField(i);
                    m_state = State::Unquoted;
                    return false;
                }
                startField(i);
                m_fieldEnd = at;
                endField(text);
                i = at + m_separator.size();
            }
            if (i >= n)
                return false;
            if (quoteAt(text, i)) {
                i += m_quoteSize;
                m_state = State::Quoted;
            } else {
                m_state = State::Unquoted;
            }
            startField(i);
            break;
        case State::Unquoted: {
            const qsizetype at = findSeparator(text, i);
            if (at < 0)
                return false; // the field runs to the end of the record
            addPiece(text, m_pieceFrom, at);
            endField(text);
            i = at + m_separator.size();
            m_state = State::FieldStart;
            break;
        }
        case State::Quoted: {
            const qsizetype close = text.indexOf(quote(), i);
            if (close < 0) {
                if (!m_severalLines)
                    holdPlaces(text);
                return true;
            }
            const qsizetype after = close + m_quoteSize;
            if (quoteAt(text, after)) {
                // A doubled quote stands for one and the field goes on.
                addPiece(text, m_pieceFrom, after);
                i = m_pieceFrom = after + m_quoteSize;
            } else {
                addPiece(text, m_pieceFrom, close);
                i = m_pieceFrom = after;
                m_state = State::Unquoted;
                // Most closing quotes stand right before a separator.
                if (separatorAt(text, i)) {
                    endField(text);
                    i += m_separator.size();
                    m_state = State::FieldStart;
                }
            }
            break;
        }
        }
    }
}

template <typename View> void RecordGrammar<View>::end(View text)
{
    if (m_state != State::FieldStart) {
        addPiece(text, m_pieceFrom, text.size());
        endField(text);
    } else if (!text.isEmpty()) {
        // The record ends with a separator: an empty field follows it.
        startField(text.size());
        endField(text);
    }
    if (!m_fields)
        return;
    const View unquoted(m_unquoted);
    for (const FieldSpan& span : std::as_const(m_spans))
        (*m_fields)[span.field] = (span.unquoted ? unquoted : text).sliced(span.from, span.size);
}
