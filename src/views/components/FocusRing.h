#pragma once
#include <QWidget>

// A keyboard focus ring for a control whose style draws none or a faint one (an unlabelled
// checkbox, a flat tool button, a button drawn by hand): a 2-pixel ring in Style::focusRing()
// around the control, or around a checkbox's box, shown while the control has focus that came
// from the keyboard (Tab, Shift+Tab, a shortcut), not after a click.
namespace FocusRing {

void attach(QWidget* control);
// Whether the control's ring is showing now.
bool isShown(const QWidget* control);

} // namespace FocusRing
