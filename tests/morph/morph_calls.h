// The reader's two morphology calls with the reader's buffer sizes, for the tests.
#pragma once

#include "platform/morph.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct MorphResult {
    int count = 0;
    std::vector<std::string> lemmas; // Windows-1251
    std::vector<int32_t> numbers;
};

// The word search's call.
inline MorphResult lemmatize(const std::string& word1251) {
    char lemmaBuf[256];
    int32_t numbers[32] = {};
    char info[256];
    MorphResult r;
    r.count = morphLemmatize(word1251.c_str(), 256, lemmaBuf, numbers, info, 256, 32, 256);
    const char* p = lemmaBuf;
    for (int i = 0; i < r.count; ++i) {
        r.lemmas.emplace_back(p);
        p += std::strlen(p) + 1;
        r.numbers.push_back(numbers[i]);
    }
    return r;
}

// The number of the first lemma, 0 for an unknown word.
inline int32_t firstNumber1251(const std::string& word1251) {
    char lemmaBuf[256];
    int32_t numbers[32] = {};
    char info[256];
    return morphLemmatize(word1251.c_str(), 256, lemmaBuf, numbers, info, 256, 32, 256) > 0
               ? numbers[0]
               : 0;
}

inline int32_t firstNumber(std::string_view utf8) { return firstNumber1251(w1251(utf8)); }

// The highlighter's loop: every form number, every form. Checks that nothing is written past
// the buffer. When untilEmpty is set, stops at the first form number that gives nothing.
inline std::vector<std::string> buildForms(int32_t number, int outSize = 4096,
                                           bool untilEmpty = false) {
    std::vector<std::string> forms;
    std::vector<char> out(size_t(outSize) + 16, '\x7F');
    static const char guard[16] = {'\x7F', '\x7F', '\x7F', '\x7F', '\x7F', '\x7F', '\x7F', '\x7F',
                                   '\x7F', '\x7F', '\x7F', '\x7F', '\x7F', '\x7F', '\x7F', '\x7F'};
    for (int f = 0; f < 256; ++f) {
        const int n = morphBuildForm(0, number, 256, uint8_t(f), out.data(), outSize);
        const char* p = out.data();
        for (int i = 0; i < n; ++i) {
            forms.emplace_back(p);
            p += std::strlen(p) + 1;
        }
        if (p - out.data() > outSize || std::memcmp(out.data() + outSize, guard, 16) != 0)
            ADD_FAILURE() << "written past the buffer of " << outSize;
        if (n == 0 && untilEmpty) break;
    }
    return forms;
}
