#pragma once

#include "TableList.h"

class QListWidget;

// The table list shown in a list widget; the selection is the widget's current row.
class ListWidgetTableList : public TableList
{
public:
    explicit ListWidgetTableList(QListWidget& widget) : m_widget(widget) {}

    int count() const override;
    QString item(int index) const override;
    void clear() override;
    void addItem(const QString& text) override;
    void insertItem(int index, const QString& text) override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;

private:
    QListWidget& m_widget;
};
