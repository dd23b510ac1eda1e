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
    case ModeControl::ColumnsFromFirstLine:
        widget = m_widgets.columnsFromFirstLine;
        break;
    case ModeControl::UserColumnNames:
        widget = m_widgets.userColumnNames;
        break;
    case ModeControl::NewTableNameLabel:
        widget = m_widgets.newTableNameLabel;
        break;
    case ModeControl::NewTableName:
        widget = m_widgets.newTableName;
        break;
    case ModeControl::TableOptionsFrame:
        widget = m_widgets.tableOptionsFrame;
        break;
    case ModeControl::AppendFrame:
        widget = m_widgets.appendFrame;
        break;
    case ModeControl::ExistingTableLabel:
        widget = m_widgets.existingTableLabel;
        break;
    case ModeControl::ExistingTables:
        widget = m_widgets.existingTables;
        break;
    case ModeControl::SkipFirstLine:
        widget = m_widgets.skipFirstLine;
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
    connectButton(widgets.newTableOption, ImportMode::NewTable);
    connectButton(widgets.appendOption, ImportMode::AppendToExisting);
}

bool HeaderRowIgnored(const QCheckBox& skipFirstLine)
{
    return skipFirstLine.checkState() != Qt::Unchecked;
}
