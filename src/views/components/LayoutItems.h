#pragma once
class QLayout;

// Takes every item out of `layout`; its widgets are hidden at once and deleted once control
// returns to the event loop, since one of them may be the button whose click is being handled.
void discardLayoutItems(QLayout* layout);
