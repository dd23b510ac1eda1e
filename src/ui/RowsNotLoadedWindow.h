#pragma once

#include "GatheredRows.h"

#include <QWidget>

class Interaction;
class QLabel;
class QTableWidget;

// The rows a run did not load, listed at its end: file, line, reason and text, sortable by
// any column, and "Save As..." writing them in the runner's errors-file format.
class RowsNotLoadedWindow : public QWidget
{
public:
    RowsNotLoadedWindow(Interaction& interaction, QWidget* parent);

    // Shows these rows, replacing what the window listed before.
    void showRows(const GatheredRows& rows);
    void saveAs(); // "Save As..."

    QTableWidget& table() const { return *m_table; }

    // More rows than this are saved but not listed: a list widget of millions would not serve.
    static constexpr int MostListed = 100000;

private:
    void fill();

    Interaction& m_interaction;
    GatheredRows m_rows;
    QLabel* m_summary = nullptr;
    QTableWidget* m_table = nullptr;
};
