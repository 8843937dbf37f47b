// What opening a book reads before any window shows it: the folders settled at start-up, the
// book description "ebook.ini" and the book's machine registry key. Texts are Windows-1251.
#pragma once

#include "reading/readingbook.h"

#include <string>

// The folder given to OpenBook, made ready for plain concatenation ("%sebook.ini"): a backslash
// is appended when the text does not end with a separator. The letter case is kept: on this
// file system the case of a folder name matters, and the path resolver matches names ignoring
// case only where the exact name is missing.
std::string bookFolderText(std::string folder);

// Section "Description" of "ebook.ini".
struct BookDescription {
    std::string Title;   // "Электронная книга" when missing
    std::string RegKey;  // empty when missing; at most 255 characters are kept
    bool Pelvar = false; // any non-zero decimal value
};
BookDescription readBookDescription(const std::string& ebookIni);

// "SOFTWARE\\talmaran\\<RegKey>", the key of a book under both registry roots.
std::string bookKeyPath(const std::string& regKey);

enum class BookPathsStatus {
    Ok,
    KeyMissing, // the machine key cannot be opened
    PathEmpty,  // one of the four values is missing or empty
};

// Reads the four book paths from the machine key of the book. A missing value reads as empty;
// the values read are kept in paths also when the status is not Ok.
BookPathsStatus readBookPaths(const std::string& regKey, BookPaths& paths);

// The working folder: the current folder after changing into its sub-folder "book" when there
// is one (the process's current folder changes). A reader path without a trailing separator.
std::string enterBookSubfolder();

// The scheme folder from the whole command line (at most 255 characters kept); an empty command
// line changes into the "book" sub-folder and names its "schema" folder.
std::string settleSchemeFolder(const std::string& commandLine1251);
