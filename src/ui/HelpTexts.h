#pragma once

#include <QString>

// The text of "Help" on the connection window.
QString ConnectionHelpText();
// The text of "?" on the main window.
QString FileFormatHelpText();
