#pragma once
#include <QWidget>

// A thin horizontal separator line across its width, `leadingIndent` (a layout length in
// points) left free at the leading edge.
QWidget* makeDivider(QWidget* parent = nullptr, int leadingIndent = 0);
