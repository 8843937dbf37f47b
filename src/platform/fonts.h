// Fonts that a book brings in its "fonts" folder, installed for the user so that the reader
// (and every other program of the session) can use them by name.
#pragma once

#include <string>

// The user's font folder (native, UTF-8): $XDG_DATA_HOME/fonts, default ~/.local/share/fonts.
std::string fontFolder();

// Copies the font file into the user's font folder, failing when a file of that name is already
// there; only when the copy succeeded is the copy registered with the running program. Returns
// whether it was registered, so a font already present is neither copied nor registered again.
// A copy that turns out not to be a font is removed again.
bool installFontFile(const std::string& fontPath1251);
