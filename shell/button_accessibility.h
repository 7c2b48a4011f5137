#pragma once
// Push buttons as the accessibility bus sees them, pressed after the press has been answered.

namespace trimvale::shell {

// Installs the accessible form of QPushButton whose "Press" clicks the button from the event
// loop rather than inside the request. Qt's own form clicks at once, so a screen reader or a
// test robot pressing a button that opens a dialog or a question box would get no answer until
// that box closed. Call once, after the QApplication exists.
void InstallQueuedButtonAccessibility();

}  // namespace trimvale::shell
