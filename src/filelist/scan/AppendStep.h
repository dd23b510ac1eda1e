#pragma once

#include "FileList.h"

#include <functional>
#include <QString>

// How the ways of filling the file list add one path to it.
using AppendStep = std::function<void(const QString&)>;

inline AppendStep AppendTo(FileList& list)
{
    return [&list](const QString& path) { list.AppendPath(path); };
}
