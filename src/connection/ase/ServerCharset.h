#pragma once

#include <optional>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The character set a server announced at login, as the client library converts into it.
// Statements are handed to the library in UTF-8; a character the server's set cannot hold
// would make the library stop converting there and send the statement cut short. check()
// finds such a character before anything is sent, so only that statement fails.
class ServerCharset
{
public:
    // name: as the server announced it ("utf8", "iso_1", "cp850", "roman8", ...). An empty or
    // unknown name checks nothing: the library leaves such text unconverted as well.
    explicit ServerCharset(const QString& name = QString());
    ~ServerCharset();
    ServerCharset(const ServerCharset&) = delete;
    ServerCharset& operator=(const ServerCharset&) = delete;

    const QString& name() const { return m_name; }
    // The converter's name for the set ("ISO-8859-1"); empty when nothing is checked.
    const QByteArray& encoding() const { return m_encoding; }

    // The description of the first character of statement the set cannot hold, if any.
    std::optional<QString> refusal(const QString& statement) const;
    std::optional<QString> refusal(QByteArrayView utf8) const;
    // Throws Failure with that description.
    void check(const QString& statement) const;
    // How many bytes a UTF-8 text takes in the set, exactly when that is more than limit (a
    // shorter text may be counted roughly, never above limit). A character the set cannot hold
    // counts as one byte.
    qsizetype encodedLength(QByteArrayView utf8, qsizetype limit) const;
    // A UTF-8 text in the set, for a value the library sends as it is (bulk copy); a character
    // the set cannot hold is left out, so check refusal() first.
    QByteArray encoded(QByteArrayView utf8) const;

    // The converter's name for an announced server set name.
    static QByteArray encodingFor(const QString& name);

private:
    QString m_name;
    QByteArray m_encoding;
    void* m_converter = nullptr; // iconv_t, from UTF-8 into the server's set
};
