#pragma once

#include "AppendStep.h"
#include "Interaction.h"

#include <QString>

// "Add Text File(s)": the open-file dialog with multiple selection. One chosen file is
// appended as the dialog gave it; several are joined to their folder and cleaned, in the
// dialog's order. When the selection did not fit the dialog, the user is told to use
// "Add All" and nothing is added; other failures are reported with the button's location.
void AddTextFiles(Interaction& interaction, const AppendStep& append);

namespace AddTextFilesTexts {
inline const QString DialogTitle =
    QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
inline const QString Filter =
    QStringLiteral("Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|");
inline const QString TooManyFiles = QStringLiteral(
    "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");
// The open-file dialog's failure when the chosen names do not fit its buffer.
inline constexpr int SelectionTooLarge = 20476;
} // namespace AddTextFilesTexts
