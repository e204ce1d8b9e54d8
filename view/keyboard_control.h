// Keyboard steering of the live view, for the full-screen saver and the
// settings dialog's preview.  Both frame pumps hand every key message to
// HandleViewKey instead of dispatching it.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Applies one key message (`message` is a window-message id, `key` a virtual
// key); returns 0 always.  Keys do nothing in the control panel's small
// preview.  Enter and Esc ask the frame pump to stop; so does any key without
// a meaning of its own in the saver window (not in the settings dialog).
int HandleViewKey(WindowHandle window, unsigned message, uintptr_t key);

// Runs the control-menu dialog modally, unless it is open already.
void ShowControlMenu(WindowHandle owner);

// The parameter dump shown by F11, formatted into a buffer of this size.
constexpr int kParamsTextSize = 512;
