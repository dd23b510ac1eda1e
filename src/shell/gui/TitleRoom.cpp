#include "TitleRoom.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

int TitleRoom(const QString& title, const QFont& font)
{
    const QFontMetrics metrics(font);
    // Title bars tend to use a slightly larger face than the dialog's; a quarter more covers it.
    const int text = metrics.horizontalAdvance(title) * 5 / 4;
    // The icon and three buttons are about as wide as the bar is high, with some padding.
    const int bar = metrics.height() + 8;
    return text + 5 * bar;
}

void MakeRoomForTitle(QDialog& dialog)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const int room = TitleRoom(dialog.windowTitle(), font);
    // Message boxes and prompts size themselves from their layouts when shown, overriding a
    // minimum width set on the dialog; a spacer across the layout is honoured. A prompt builds
    // its layout when first asked for its size.
    dialog.minimumSizeHint();
    QLayout* layout = dialog.layout();
    if (!layout) {
        dialog.setMinimumWidth(qMax(dialog.minimumWidth(), room));
        return;
    }
    const QMargins margins = layout->contentsMargins();
    auto* spacer = new QSpacerItem(qMax(0, room - margins.left() - margins.right()), 0,
                                   QSizePolicy::Minimum, QSizePolicy::Minimum);
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->addItem(spacer, grid->rowCount(), 0, 1, grid->columnCount());
    else
        layout->addItem(spacer);
}
