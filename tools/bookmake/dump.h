// "bookmake dump": a book file in readable form, for publishers checking a book and for tests.
// Knows index.dat/index.ind (term table; with a lemma, its postings), files.dat, gloss.dat,
// allgloss.dat, test.dat (the records the book's pages link to) and offset1.txt (each entry's
// range of the page store with the start of its text). Texts are printed in UTF-8.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// False (with a message on the stream) when the file is unknown, missing or damaged.
bool dumpFile(const std::string& path, const int32_t* lemma, std::ostream& out);
