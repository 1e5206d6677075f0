#pragma once
#include <Qt>

class QFrame;
class QWidget;

// A hairline between the parts of a window or panel, in a faint shade of the text colour:
// across (horizontal) or standing (vertical).
QFrame* makeDivider(QWidget* parent = nullptr, Qt::Orientation orientation = Qt::Horizontal);
