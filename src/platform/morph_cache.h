// The morphology tables in a binary cache file that a process maps instead of building them
// from the dictionary (a hundredth of the time; the pages are shared between processes). The file is named after a key made of the
// sources (the dictionary files' sizes and modification times, the supplement's and override
// table's contents) and the format version; it is written atomically and rebuilt when it is
// missing, damaged or of another key.
#pragma once

#include "platform/morph_load.h"

#include <string>

// $XDG_CACHE_HOME/talmaran (default ~/.cache/talmaran); empty when neither is set.
std::string morphCacheFolder();

// The key of the sources; empty when a source file cannot be examined.
std::string morphCacheKey(const MorphSources& src);

enum class MorphCacheOutcome { Read, Built, Rebuilt };

// Maps the tables from the cache file in cacheFolder when it is sound and of the sources' key;
// otherwise builds them from the sources and writes the cache file (when the folder can be
// written; a cache that cannot be written only costs time). Returns an empty string on success,
// otherwise why the tables cannot be had.
std::string loadMorphTableCached(const MorphSources& src, const std::string& cacheFolder,
                                 MorphTable& out, MorphCacheOutcome* outcome = nullptr);

// The cache file the key names, in cacheFolder.
std::string morphCachePath(const std::string& cacheFolder, const std::string& key);
