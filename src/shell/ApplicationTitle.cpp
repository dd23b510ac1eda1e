#include "ApplicationTitle.h"

namespace {
QString& currentTitle()
{
    static QString title = ProductName;
    return title;
}
} // namespace

QString ApplicationTitle()
{
    return currentTitle();
}

void SetApplicationTitle()
{
    currentTitle() = TitleFromProductName(ProductName);
}

QString TitleFromProductName(const QString& productName)
{
    QString title = productName;
    while (title.size() > ApplicationTitleLimit) {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            return title.left(ApplicationTitleLimit);
        title.truncate(blank);
    }
    return title;
}
