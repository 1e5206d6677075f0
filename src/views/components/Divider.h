#pragma once
class QFrame;
class QWidget;

// A hairline between the parts of a window or panel, in a faint shade of the text colour.
QFrame* makeDivider(QWidget* parent = nullptr);
