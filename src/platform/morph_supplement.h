// The project's own supplement to the dictionary (data/morph/supplement.txt): lexemes the
// dictionary splits or lacks (pronoun paradigms, suppletive and irregular forms, comparatives,
// numerals) and extra entries in the dictionary's own format. The format is described in
// docs/morph.md.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SupplementLexeme {
    std::string lemma;              // Windows-1251, as written
    std::vector<std::string> forms; // listed forms (the lemma itself is a form too)
    std::vector<std::string> joins; // dictionary lemmas whose every form joins this lexeme
    int line = 0;
};

struct SupplementEntry {
    std::string word;  // Windows-1251, as written
    std::string flags; // affix flags of the dictionary's affix file, may be empty
    int line = 0;
};

struct Supplement {
    std::vector<SupplementLexeme> lexemes; // in file order: earlier lines rank first
    std::vector<SupplementEntry> entries;

    // Parses the UTF-8 text. Returns an empty string on success, otherwise the line and what is
    // wrong.
    std::string parse(std::string_view utf8);
};
