#include "reading/linereader.h"

std::vector<std::string> readLimitedLines(std::string_view bytes, std::size_t maxLines) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    while (i < bytes.size() && lines.size() < maxLines) {
        line.clear();
        // One read: characters up to and including '\n', at most kReaderLineLimit of them.
        while (i < bytes.size() && line.size() < kReaderLineLimit) {
            char c = bytes[i++];
            if (c == '\r' && i < bytes.size() && bytes[i] == '\n') c = bytes[i++]; // text mode
            line.push_back(c);
            if (c == '\n') break;
        }
        lines.push_back(line);
    }
    return lines;
}
