#include "platform/words.h"

size_t countedTextStart(std::string_view page) {
    static constexpr std::string_view kBody = "<BODY";
    if (page.size() < kBody.size()) return 0;
    for (size_t i = 0; i + kBody.size() <= page.size(); ++i) {
        size_t k = 0;
        while (k < kBody.size() &&
               upperCp1251(static_cast<unsigned char>(page[i + k])) == kBody[k])
            ++k;
        if (k == kBody.size()) return i;
    }
    return 0;
}

size_t skipTag(std::string_view page, size_t i) {
    if (i + 1 >= page.size() || page[i] != '<') return i;
    const unsigned char next = static_cast<unsigned char>(page[i + 1]);
    const bool opens = (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') ||
                       next == '/' || next == '!' || next == '?';
    if (!opens) return i;
    if (page.substr(i, 4) == "<!--") {
        const size_t end = page.find("-->", i + 4);
        return end == std::string_view::npos ? i : end + 3;
    }
    const size_t end = page.find('>', i + 1);
    return end == std::string_view::npos ? i : end + 1;
}
