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
