#pragma once

#include <QStringList>

class QMimeData;

// Drops onto the file list take file URLs only: anything else (text, web addresses, a mix)
// is refused, so the pointer shows that it cannot be dropped and a release adds nothing.
bool AcceptsFileDrop(const QMimeData& data);

// The dropped files' and folders' local paths in the order the drag source gave them; empty
// when the drop is not accepted.
QStringList DroppedLocalPaths(const QMimeData& data);
