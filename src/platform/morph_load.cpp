#include "platform/morph_load.h"

#include "platform/morph_cache.h"
#include "platform/paths.h"

#include <cstdlib>
#include <mutex>

#ifndef EBOOK_DATA_DIR
#define EBOOK_DATA_DIR "data"
#endif

namespace {

std::string envOr(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : std::string(fallback);
}

} // namespace

MorphSources morphDefaultSources() {
    MorphSources s;
    const std::string dict = envOr("EBOOK_HUNSPELL_DIR", "/usr/share/hunspell");
    const std::string data = envOr("EBOOK_DATA_DIR", EBOOK_DATA_DIR);
    s.affPath = dict + "/ru_RU.aff";
    s.dicPath = dict + "/ru_RU.dic";
    s.supplementPath = data + "/morph/supplement.txt";
    s.overridesPath = data + "/morph/overrides.txt";
    return s;
}

std::string loadMorphTable(const MorphSources& src, MorphTable& out) {
    std::string aff, dic, sup, ovr;
    for (auto [path, bytes] : {std::pair{&src.affPath, &aff}, {&src.dicPath, &dic},
                               {&src.supplementPath, &sup}, {&src.overridesPath, &ovr}})
        if (!readNativeFile(*path, *bytes)) return *path + ": cannot be read";
    AffixSet affix;
    if (std::string e = affix.parse(aff); !e.empty()) return src.affPath + ": " + e;
    Supplement supplement;
    if (std::string e = supplement.parse(sup); !e.empty()) return src.supplementPath + ": " + e;
    LemmaNumbers numbers;
    if (std::string e = numbers.parse(ovr); !e.empty()) return src.overridesPath + ": " + e;
    if (std::string e = buildMorphTable(affix, dic, supplement, numbers, out); !e.empty())
        return "building the tables: " + e;
    return {};
}

namespace {

struct Shared {
    std::once_flag once;
    MorphTable table;
    std::string error;
    bool ok = false;
};

Shared& shared() {
    static Shared s;
    std::call_once(s.once, [] {
        s.error = loadMorphTableCached(morphDefaultSources(), morphCacheFolder(), s.table);
        s.ok = s.error.empty();
        if (!s.ok) s.table = MorphTable();
    });
    return s;
}

} // namespace

const MorphTable* morphShared() {
    Shared& s = shared();
    return s.ok ? &s.table : nullptr;
}

const std::string& morphLoadError() { return shared().error; }
