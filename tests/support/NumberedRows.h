#pragma once

#include <functional>
#include <QByteArray>
#include <QStringList>

// A file of `count` data lines under an "id,value" header, each line's id its number from 1,
// so that what a table holds shows which lines arrived and in which order.
QByteArray numberedLines(int count);

// The ids 1..count of such a file as its table holds them loaded whole, less those skipped.
QStringList ids(int count, const std::function<bool(int)>& skip = nullptr);
