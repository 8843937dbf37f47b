// Lemma numbers: the keys of every full-text index ever built, so the mapping from a lemma's
// text to its number is frozen. The number is a 31-bit FNV-1a hash of the lemma's Windows-1251
// upper-case text with Ё folded to Е, never 0; the few lemma pairs whose hashes collide are
// resolved by a committed override table (data/morph/overrides.txt).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

// The hash part: 32-bit FNV-1a over the bytes, its low 31 bits, 0 mapped to 1. The key must already
// be upper case with Ё folded (morphKey).
int32_t morphHashNumber(std::string_view key1251);

// A word as the tables key it: Windows-1251 upper case, Ё folded to Е.
std::string morphKey(std::string_view word1251);

class LemmaNumbers {
public:
    // Parses the override table: UTF-8 lines "LEMMA NUMBER", '#' starts a comment. Returns an
    // empty string on success, otherwise the line and what is wrong.
    std::string parse(std::string_view utf8);
    int32_t number(std::string_view key1251) const;
    const std::unordered_map<std::string, int32_t>& overrides() const { return m_overrides; }

private:
    std::unordered_map<std::string, int32_t> m_overrides;
};
