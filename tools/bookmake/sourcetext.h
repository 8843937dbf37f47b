// Reading the author's text files (pages, the description, task texts): UTF-8 or Windows-1251,
// told apart by content, always handed on as Windows-1251.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Converts text bytes to Windows-1251. UTF-8 (with or without a byte-order mark) is converted;
// characters that Windows-1251 lacks become HTML character references ("&#8470;") so nothing is
// lost on screen. Other bytes are taken as Windows-1251 already. A text that is neither (a NUL
// byte, or bytes that are not UTF-8 and include 0x98, which Windows-1251 leaves unassigned)
// throws BuildError naming `name` and the line.
std::string toCp1251(std::string_view bytes, const std::string& name);

// Reads a file and converts it; BuildError with `name` when it is missing or unreadable.
std::string readSourceText(const std::filesystem::path& file, const std::string& name);

// Reads a file as bytes; false when it cannot be read.
bool readBytes(const std::filesystem::path& file, std::string& bytes);

// 1-based line of a byte offset.
int lineOf(std::string_view text, size_t offset);

// Joins a relative reference (slashes or backslashes, "." and "..") to a folder of the source
// tree ("" for its root) and returns the path from the root with "/" between names; false when
// the reference is empty, absolute or climbs out of the root.
bool joinSourcePath(std::string_view folder, std::string_view ref, std::string& out);

// The folder part of a source path ("a/b.htm" -> "a", "b.htm" -> "").
std::string folderOf(std::string_view path);

// A Windows-1251 source path as the native path under root.
std::filesystem::path nativeSource(const std::filesystem::path& root, std::string_view path1251);
