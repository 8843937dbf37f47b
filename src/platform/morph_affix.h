// The hunspell dictionary format as the morphology layer reads it: the affix file's suffix and
// prefix rules, and the expansion of one dictionary entry into all its word forms. Only what a
// form generator needs is implemented; an affix file using anything else is refused, so that a
// future dictionary cannot silently produce wrong forms.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One SFX or PFX line. Texts are Windows-1251 in the dictionary's own letter case.
struct AffixRule {
    std::string strip;                    // removed from the root ("0" in the file = empty)
    std::string add;                      // appended (suffix) or prepended (prefix)
    std::vector<std::bitset<256>> cond;   // one byte set per position; tested on the root
};

struct AffixGroup {
    unsigned char flag = 0;
    bool prefix = false;
    bool cross = false; // may combine with an affix of the other kind
    std::vector<AffixRule> rules;
};

class AffixSet {
public:
    // Parses an affix file (UTF-8, "SET UTF-8"). Returns an empty string on success, otherwise a
    // message naming the line and what is wrong or not supported.
    std::string parse(std::string_view affUtf8);

    // Calls onForm(form) for every form of a dictionary entry: the entry itself, each suffix and
    // prefix applied to it, and prefix+suffix pairs where both allow it. Forms may repeat.
    // word is Windows-1251; flags are the entry's flag characters.
    void expand(std::string_view word, std::string_view flags,
                const std::function<void(std::string_view)>& onForm) const;

    // True when the entry carries the affix file's FORBIDDENWORD flag (not a word at all).
    bool forbidden(std::string_view flags) const;

    const std::vector<AffixGroup>& groups() const { return m_groups; }
    size_t skippedRules() const { return m_skippedRules; }

private:
    std::vector<AffixGroup> m_groups;
    int m_groupOfFlag[256];
    bool m_fullStrip = false;
    int m_forbiddenFlag = -1;
    size_t m_skippedRules = 0; // rules whose texts Windows-1251 cannot spell
};

// Splits one .dic line into the word and its flags ("word/FLAGS", "\/" escapes a slash,
// anything after a tab or space is morphological data and ignored). False for an empty line.
bool splitDicLine(std::string_view line, std::string& word, std::string& flags);
