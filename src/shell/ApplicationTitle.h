#pragma once

#include <QString>

// The product name, as the build records it.
inline const QString ProductName = QStringLiteral("Tessaloom");

// The longest application title.
inline constexpr qsizetype ApplicationTitleLimit = 40;

// The title of every message box and prompt that names none of its own; the product name
// until SetApplicationTitle runs.
QString ApplicationTitle();

// Sets the application title from the product name, shortened by TitleFromProductName.
void SetApplicationTitle();

// Removes whole last words (from the last blank to the end) while the name is longer than
// ApplicationTitleLimit. A long name with no blank left is cut at the limit.
QString TitleFromProductName(const QString& productName);
