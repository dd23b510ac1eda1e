#pragma once

#include <functional>
#include <QString>

// The line number a guard's report names ("... at line N\r\r..."), or -1 when it names none.
int lineOf(const QString& report);

// The description of the Failure that step throws; a null string when it throws none.
QString failureOf(const std::function<void()>& step);
