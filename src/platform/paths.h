// Windows-style paths as the reader builds them ("%sout\\tree\\%s", "%s\\gloss.dat") turned into
// native files. This is the only place that knows about separators, drive letters and letter case.
#pragma once

#include <string>
#include <string_view>

// Resolves a Windows-1251 path with backslashes or slashes to a native path (UTF-8 bytes).
// Backslashes become slashes, doubled separators collapse, and when a component does not exist
// under its exact name it is matched ignoring letter case (Latin and Cyrillic), so
// "IMAGE\\PIC.GIF" finds image/pic.gif. A leading drive "c:" maps to the folder of driveRoot().
// Components that do not exist are kept as written (the path of a file about to be created).
std::string nativePath(std::string_view path1251);

// Where the drive-letter paths of the reader ("c:\\talmaran\\download") live: the folder named by
// $EBOOK_DRIVE_ROOT, else $XDG_DATA_HOME/talmaran/drive (default ~/.local/share/...), with the
// drive letter as a sub-folder ("c:\\x" -> <root>/c/x).
std::string driveRoot();

// "Readable" as the reader uses it: the file exists, is not a folder and opens for reading.
bool isReadable(std::string_view path1251);

bool fileExists(std::string_view path1251);
bool folderExists(std::string_view path1251);

// The native path (UTF-8) back to the reader's form: Windows-1251, ending with a backslash for a
// folder when asFolder is set. Slashes stay slashes: the resolver takes both.
std::string readerPath(std::string_view nativeUtf8, bool asFolder = false);

// Reads a whole file; false when it cannot be opened or read.
bool readFile(std::string_view path1251, std::string& bytes);

// How hard a write insists on reaching the disk. Scratch files the reader rewrites for every
// page ("tmp.htm") skip the flushes, which cost milliseconds per page on a busy disk; they are
// still replaced atomically, so the viewer never reads half a file.
enum class Durability { Durable, Scratch };

// Writes a whole file atomically (temporary file in the same folder, then rename).
bool writeFileAtomic(std::string_view path1251, std::string_view bytes,
                     Durability durability = Durability::Durable);

// The same two on a native path (UTF-8), for files whose place is already native (the registry).
bool readNativeFile(const std::string& nativeUtf8, std::string& bytes);
bool writeNativeFileAtomic(const std::string& nativeUtf8, std::string_view bytes,
                           Durability durability = Durability::Durable);
