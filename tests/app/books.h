// Books for the window tests: the two samples built by bookmake once per run, copies of them
// that a test may change, and the main window started the way the program starts it.
#pragma once

#include "support/testenv.h"

#include <memory>
#include <string>

class TForm1;

// The installed sample books (single-store and page-file layouts), built on first use.
const std::string& sampleBook();   // native folder
const std::string& pageFileBook(); // native folder

// Copies an installed book to <dir>/book, gives it the RegKey regKey (in "ebook.ini") and writes
// that machine key with the copy's paths. Returns the copy's folder.
std::string installCopy(const std::string& book, const TempDir& dir, const std::string& regKey);

// Starts the main window in dir (it settles in dir/book) and shows it.
std::unique_ptr<TForm1> startIn(const TempDir& dir);

// Lets queued events (the medium watch's first check, layouts) run.
void settle();

// Text of the viewer's page (UTF-8).
std::string viewerText(const TForm1& form);
