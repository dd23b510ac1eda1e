#include "TwipsLayout.h"

#include "Twips.h"

#include <QWidget>

void PlaceInTwips(QWidget& control, int left, int top, int width, int height)
{
    control.setGeometry(TwipsToPixelsX(left, control), TwipsToPixelsY(top, control),
                        TwipsToPixelsX(width, control), TwipsToPixelsY(height, control));
}

void FixClientAreaInTwips(QWidget& window, int width, int height)
{
    window.setFixedSize(TwipsToPixelsX(width, window), TwipsToPixelsY(height, window));
}

QFont DesignFont(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>

void FitCaptions(QWidget& window)
{
    const auto fit = [](QWidget& control, const QString& caption) {
        QWidget* container = control.parentWidget();
        if (!container)
            return;
        const int wanted = control.sizeHint().width();
        if (wanted <= control.width())
            return;
        const int room = container->width() - control.x() - 4;
        control.resize(qMax(control.width(), qMin(wanted, room)), control.height());
        if (control.width() < wanted && control.toolTip().isEmpty()) {
            // The whole caption as read, without the mnemonic's marker.
            QString shown = caption;
            shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
            control.setToolTip(shown);
        }
    };
    for (QRadioButton* option : window.findChildren<QRadioButton*>())
        fit(*option, option->text());
    for (QCheckBox* check : window.findChildren<QCheckBox*>())
        fit(*check, check->text());
    for (QLabel* label : window.findChildren<QLabel*>())
        fit(*label, label->text());
}

#include <QPushButton>

void ApplyDesignFonts(QWidget& window, double points, double buttonPoints)
{
    window.setFont(DesignFont(points));
    for (QWidget* control : window.findChildren<QWidget*>())
        control->setFont(DesignFont(qobject_cast<QPushButton*>(control) ? buttonPoints : points));
}
