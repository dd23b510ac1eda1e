#pragma once

class QDialog;
class QFont;
class QString;

// Window managers elide a title that does not fit between the frame's icon and its buttons
// ("Te... om"); Qt sizes small message boxes by their text alone.

// The client width at which title, shown in font, fits whole beside a frame's icon and its
// minimise, maximise and close buttons.
int TitleRoom(const QString& title, const QFont& font);

// Makes dialog at least that wide for its own window title, in the application's font, bold as
// most window managers show titles. Call it once the dialog's contents are set.
void MakeRoomForTitle(QDialog& dialog);
