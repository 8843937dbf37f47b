// The line reader used for "offset1.txt" and "Page.txt": text mode (CR LF read as LF), at most
// 254 characters per read, so a longer line comes back as several lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kReaderLineLimit = 254;

// Each returned line keeps its trailing '\n' when it had one (the last piece of a long line has
// it, the earlier pieces do not). At most maxLines lines are returned.
std::vector<std::string> readLimitedLines(std::string_view bytes, std::size_t maxLines);
