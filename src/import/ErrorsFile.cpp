#include "ErrorsFile.h"

#include "CoarseClock.h"
#include "Failure.h"

ErrorsFile::ErrorsFile(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Failure(QStringLiteral("The errors file %1 cannot be written: %2")
                          .arg(path, m_file.errorString()));
    m_lastFlush = CoarseMilliseconds();
}

QString ErrorsFile::escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void ErrorsFile::write(const QString& path, qint64 line, const QString& reason, const QString& text)
{
    const QString record = escaped(path) + QLatin1Char('\t') + QString::number(line) +
                           QLatin1Char('\t') + escaped(reason) + QLatin1Char('\t') + escaped(text) +
                           QLatin1Char('\n');
    const QByteArray bytes = record.toUtf8();
    if (m_file.write(bytes) != bytes.size())
        m_failed = true;
    flushIfDue();
}

void ErrorsFile::flush()
{
    if (m_file.isOpen() && !m_file.flush())
        m_failed = true;
    m_lastFlush = CoarseMilliseconds();
}

void ErrorsFile::flushIfDue()
{
    if (CoarseMilliseconds() - m_lastFlush >= 1000)
        flush();
}

void ErrorsFile::row(const QString& path, qint64 line, const QString& reason, const QString& text)
{
    write(path, line, reason, text);
}

void ErrorsFile::file(const QString& path, const QString& reason)
{
    write(path, 0, reason, QString());
}

void ErrorsFile::finish()
{
    flush();
    m_file.close();
    if (m_failed)
        throw Failure(QStringLiteral("The errors file %1 could not be written in full.")
                          .arg(m_file.fileName()));
}
