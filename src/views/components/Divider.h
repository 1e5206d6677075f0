#pragma once
class QFrame;
class QWidget;

// A hairline between the parts of a window or panel, in a faint shade of the text colour.
QFrame* makeDivider(QWidget* parent = nullptr);
// The same line with `leadingIndent` left free at the leading edge (a row's divider in a list).
QWidget* makeIndentedDivider(int leadingIndent, QWidget* parent = nullptr);
