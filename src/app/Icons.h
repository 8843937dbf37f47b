// The pictures of the main window: the desktop theme's icon when the theme has one, else the
// one bundled with the program.
#pragma once

#include <QIcon>
#include <array>

// themeName: a freedesktop icon name; bundled: the name of a picture under :/icons.
QIcon themedIcon(const char* themeName, const char* bundled);

// The contents tree's image list: 0 closed sub-folder, 1 page, 2 open sub-folder, 3 open book
// (top level), 4 closed book (top level), 5 and 6 spare places a scheme may fill.
std::array<QIcon, 7> treeImages();
