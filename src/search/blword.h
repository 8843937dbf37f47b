// The form dictionary of the highlighter: every word form of the query's lemmas, upper case,
// mapped to its lemma number and kept sorted for binary search. Ё is kept as Е in the keys, so a
// page word printed with ё finds the form the dictionary spells with е and the other way round.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Blword {
public:
    // Binary search for an exact key in byte order. When absent, position is where the key would
    // be inserted (0 before the first key, count() after the last).
    bool find(std::string_view key, size_t& position) const;
    // Adds the word (upper-cased) with its lemma number; a word already present keeps the lemma
    // number it was first added with.
    void add(std::string_view word, int32_t lemma);
    // Looks a word up with its spaces removed, upper-cased.
    bool lookup(std::string_view word, int32_t& lemma) const;

    size_t count() const { return m_keys.size(); }
    const std::string& key(size_t i) const { return m_keys[i]; }
    int32_t value(size_t i) const { return m_values[i]; }

    // The key form of a word: spaces removed, upper case, Ё as Е.
    static void normalise(std::string_view word, std::string& key);

private:
    std::vector<std::string> m_keys;
    std::vector<int32_t> m_values;
};

// Adds every word form the morphology layer builds for the lemma.
void addLemmaForms(Blword& forms, int32_t lemma);
