/* Tessaloom skin: a quiet, flat look on the face colour.
   "@face" and "@facetext" stand for the window's face and text colours, "@disabledtext" for
   the colour of its disabled text.
   Lengths are in device-independent pixels, so they follow the screen's scale. */

QPushButton {
    color: #1f2a36;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fdfdfd, stop: 1 #e3e7eb);
    border: 1px solid #8a96a3;
    border-radius: 4px;
    padding: 2px 10px;
}
QPushButton:hover {
    border-color: #3b78c2;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f4f9ff, stop: 1 #d9e8f8);
}
QPushButton:pressed {
    background-color: #cadcf1;
}
QPushButton:focus {
    border-color: #3b78c2;
}
QPushButton:disabled {
    color: #8b949e;
    border-color: #c3c9cf;
    background-color: #eceef0;
}

QGroupBox {
    border: 1px solid #a9b3bd;
    border-radius: 4px;
    margin-top: 8px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 4px;
    color: @facetext;
}
QGroupBox::title:disabled {
    color: @disabledtext;
}

QLineEdit {
    color: #1b1f23;
    background-color: #ffffff;
    border: 1px solid #9aa5b1;
    border-radius: 3px;
    padding: 1px 4px;
    selection-color: #ffffff;
    selection-background-color: #3b78c2;
}
QLineEdit:focus {
    border-color: #3b78c2;
}
QLineEdit:disabled {
    color: #8b949e;
    background-color: #f0f2f4;
}

QListView, QListWidget, QTreeView {
    color: #1b1f23;
    background-color: #ffffff;
    border: 1px solid #9aa5b1;
    border-radius: 3px;
    selection-color: #ffffff;
    selection-background-color: #3b78c2;
}
QListView:disabled, QListWidget:disabled, QTreeView:disabled {
    color: #8b949e;
    background-color: #f0f2f4;
}
QHeaderView::section {
    color: @facetext;
    background-color: @face;
    border: none;
    border-right: 1px solid #b9c2cb;
    border-bottom: 1px solid #b9c2cb;
    padding: 2px 6px;
}

QToolTip {
    color: #1b1f23;
    background-color: #fffbe6;
    border: 1px solid #b8a960;
    padding: 2px;
}
