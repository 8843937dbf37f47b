// A window's placement (position, size, maximized state and the control that had the focus)
// kept in the user's registry under a key, so a window opens where the user left it.
#pragma once

#include <string>

class QWidget;

// Writes DWORD values <prefix>Left, <prefix>Top, <prefix>Width, <prefix>Height, <prefix>State
// (1 maximized, else 0) and the string <prefix>ActiveControl (object name of the focused
// control) under key1251 of the user root, creating the key. The position and size are those of
// the normal (not maximized) window. A prefix lets several windows share one key. False when the
// registry cannot be written.
bool saveFormPlacement(const QWidget& window, const std::string& key1251,
                       const std::string& prefix1251 = {});

// Restores what saveFormPlacement wrote, before or after the window is shown. The rectangle is
// shrunk and moved into the available area of the screen it was on (or the primary screen), so
// a window never opens off-screen after a screen was removed or made smaller. When a value is
// missing, is not a DWORD or is absurd, the window keeps its placement and false comes back.
bool restoreFormPlacement(QWidget& window, const std::string& key1251,
                          const std::string& prefix1251 = {});
