#pragma once
class QFrame;
class QWidget;

// A hairline between the parts of a window or panel, in a faint shade of the text colour;
// across the full width, or inset on its leading side.
QFrame* makeDivider(QWidget* parent = nullptr, int leadingInset = 0);

// The same hairline standing, between side-by-side parts.
QFrame* makeVerticalDivider(QWidget* parent = nullptr);
