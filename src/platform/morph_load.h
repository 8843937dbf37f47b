// Finding, loading and sharing the morphology tables: once per process, on first use.
#pragma once

#include "platform/morph_table.h"

#include <string>

struct MorphSources {
    std::string affPath, dicPath;            // native paths of the hunspell dictionary
    std::string supplementPath, overridesPath; // native paths of the project's data
};

// $EBOOK_HUNSPELL_DIR (default the system's hunspell folder) for ru_RU.aff/.dic;
// $EBOOK_DATA_DIR (default the data folder the build names) + "/morph/" for the project's files.
MorphSources morphDefaultSources();

// Reads and builds the tables from the given files (no cache). Returns an empty string on
// success, otherwise a message naming the file and what is wrong.
std::string loadMorphTable(const MorphSources& src, MorphTable& out);

// The process-wide tables, loaded on the first call (thread-safe), through the cache file in
// morphCacheFolder(). Null when they cannot be loaded; morphLoadError() then says why.
const MorphTable* morphShared();
const std::string& morphLoadError();
