#pragma once

// Starts another instance of this program beside the running one, detached from it: on macOS
// the application bundle is opened as a new instance, elsewhere the executable is started again.
// True when the start succeeded.
bool startNewInstance();
