// The whole build: description, test file, pages, contents, index, glossaries, plain text,
// ebook.ini and fonts; and the installation into the machine registry.
#pragma once

#include "indexwriter.h"

#include <filesystem>
#include <string>

struct BuildSummary {
    int entries = 0;
    int documents = 0;
    int terms = 0; // lemma keys of the index
    size_t pageBytes = 0;
};

// Builds the installed book folder `book` from the sources in `source`. Throws BuildError.
BuildSummary buildBook(const std::filesystem::path& source, const std::filesystem::path& book,
                       const Lemmatizer& lemmaOf);

// Writes the machine registry key of the book built in `book` (read back from its ebook.ini).
// Throws BuildError when the key cannot be written.
void installBook(const std::filesystem::path& book);
