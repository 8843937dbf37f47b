// Russian morphology: word forms to lemmas and lemma numbers, lemma numbers back to every form.
// Backed by hunspell's Russian dictionary plus the project's own supplement (data/morph). The
// dictionary is loaded once per process, lazily, on first use, and shared. The rules (which
// lemma comes first, lemma numbers, Ё, hyphenated words) are in docs/morph.md.
// All words are Windows-1251, upper case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The reader's calling convention. Returns the count of lemmas (0 for an unknown word); the
// lemma buffer holds them as consecutive NUL-terminated strings, numbers[i] is the number of the
// i-th lemma. Entry 0 is the lemma the full-text index is keyed by. Only whole lemmas that fit
// both buffers are written; nothing is written past the given sizes. Ё and Е are one letter; a
// hyphenated word stands for one of its parts (the last one of 3+ letters that is known).
int16_t morphLemmatize(const char* word, uint16_t flags, char* lemmaBuf, int32_t* numbers,
                       char* infoBuf, int lemmaBufSize, int numbersCount, int infoBufSize);

// Writes the word forms of a lemma as consecutive NUL-terminated strings and returns their count.
// Form number 0 gives every form that fits in the buffer; higher form numbers give the forms that
// did not fit, one buffer-full after another, and 0 when none are left. Every form whose first
// lemma has this number is given, with each of its spellings with Ё as well.
int16_t morphBuildForm(int flags, int32_t lemmaNumber, int reserved, uint8_t formNumber,
                       char* out, int outSize);

struct MorphLemma {
    std::string text; // upper case, Windows-1251
    int32_t number;
};

// Convenience forms of the two calls (all lemmas, all forms).
std::vector<MorphLemma> morphLemmas(std::string_view upperWord1251);
std::vector<std::string> morphForms(int32_t lemmaNumber);

// Empty when the dictionary is usable; otherwise why not (missing files, an affix file with
// features the form builder does not implement), as plain text naming the file and line.
// Loads the dictionary if needed.
std::string morphError();
