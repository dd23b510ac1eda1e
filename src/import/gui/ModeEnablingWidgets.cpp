#include "ModeEnablingWidgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

void ModeEnablingWidgets::setEnabled(ModeControl control, bool enabled)
{
    QWidget* widget = nullptr;
    switch (control) {
    case ModeControl::Option3:
        widget = m_widgets.option3;
        break;
    case ModeControl::Option4:
        widget = m_widgets.option4;
        break;
    case ModeControl::Label5:
        widget = m_widgets.label5;
        break;
    case ModeControl::Text2:
        widget = m_widgets.text2;
        break;
    case ModeControl::Frame2:
        widget = m_widgets.frame2;
        break;
    case ModeControl::Frame4:
        widget = m_widgets.frame4;
        break;
    case ModeControl::Label2:
        widget = m_widgets.label2;
        break;
    case ModeControl::List1:
        widget = m_widgets.list1;
        break;
    case ModeControl::Check2:
        widget = m_widgets.check2;
        break;
    }
    if (widget)
        widget->setEnabled(enabled);
}

void ConnectModeEnabling(const ModeWidgets& widgets)
{
    const auto connectButton = [&widgets](QRadioButton* button, ImportMode mode) {
        if (!button)
            return;
        QObject::connect(button, &QAbstractButton::clicked, button, [widgets, button, mode] {
            ModeEnablingWidgets switches(widgets);
            ApplyModeEnabling(mode, button->isChecked(), switches);
        });
    };
    connectButton(widgets.option1, ImportMode::NewTable);
    connectButton(widgets.option2, ImportMode::AppendToExisting);
}

bool HeaderRowIgnored(const QCheckBox& check2)
{
    return check2.checkState() != Qt::Unchecked;
}
