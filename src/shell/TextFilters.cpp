#include "TextFilters.h"

#include "Failure.h"

QString FilterCharacters(const QString& text, const QString& set, bool keep)
{
    if (text.size() > FilterCharactersLimit)
        throw Failure(QStringLiteral("Overflow"), 6);
    QString result;
    result.reserve(text.size());
    for (const QChar c : text)
        if (set.contains(c) == keep)
            result += c;
    return result;
}

QString KeepLettersAndDigits(const QString& text)
{
    static const QString lettersAndDigits =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    return FilterCharacters(text, lettersAndDigits, true);
}
