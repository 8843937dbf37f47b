// Where the morphology layer finds its files, and the cache file of its tables: written on the
// first load, read on the next, rebuilt when damaged or when a source changes.
#include "platform/morph.h"
#include "platform/morph_cache.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A small dictionary in the hunspell format with the project's two data files.
struct Sources {
    TempDir dir;
    MorphSources src;

    Sources() {
        dir.write("dict/ru_RU.aff", "SET UTF-8\nSFX N Y 1\nSFX N а ы а\n");
        dir.write("dict/ru_RU.dic", "3\nнога/N\nрука/N\nёж\n");
        dir.write("data/morph/supplement.txt", "нога: ноженька\n");
        dir.write("data/morph/overrides.txt", "РУКА 42\n");
        src.affPath = dir.file("dict/ru_RU.aff");
        src.dicPath = dir.file("dict/ru_RU.dic");
        src.supplementPath = dir.file("data/morph/supplement.txt");
        src.overridesPath = dir.file("data/morph/overrides.txt");
    }
};

class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : m_name(name) {
        if (const char* v = std::getenv(name)) m_old = v, m_had = true;
        setenv(name, value.c_str(), 1);
    }
    ~EnvVar() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

// The same arrays, byte for byte.
void expectSame(const MorphTable& a, const MorphTable& b) {
    auto collect = [](std::vector<std::string>& out) {
        return [&out](const auto& v) {
            out.emplace_back(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(v[0]));
        };
    };
    std::vector<std::string> x, y;
    forEachMorphArray(a, collect(x));
    forEachMorphArray(b, collect(y));
    EXPECT_EQ(x, y);
}

} // namespace

TEST(MorphCache, WrittenOnceThenRead) {
    Sources s;
    const std::string cache = s.dir.file("cache");
    MorphTable built, read;
    MorphCacheOutcome outcome;
    ASSERT_EQ(loadMorphTableCached(s.src, cache, built, &outcome), "");
    EXPECT_EQ(outcome, MorphCacheOutcome::Built);
    EXPECT_TRUE(fs::exists(morphCachePath(cache, morphCacheKey(s.src))));
    ASSERT_EQ(loadMorphTableCached(s.src, cache, read, &outcome), "");
    EXPECT_EQ(outcome, MorphCacheOutcome::Read);
    expectSame(built, read);
    EXPECT_NE(read.find(w1251("НОЖЕНЬКА")), MorphTable::kNone);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 1);
}

TEST(MorphCache, DamagedFileIsRebuilt) {
    Sources s;
    const std::string cache = s.dir.file("cache");
    MorphTable good;
    ASSERT_EQ(loadMorphTableCached(s.src, cache, good), "");
    const std::string path = morphCachePath(cache, morphCacheKey(s.src));
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 200u);
    const struct {
        const char* what;
        std::string content;
    } cases[] = {
        {"empty", ""},
        {"header only", bytes.substr(0, 20)},
        {"truncated", bytes.substr(0, bytes.size() / 2)},
        {"last byte missing", bytes.substr(0, bytes.size() - 1)},
        {"trailing byte", bytes + "x"},
        {"byte changed", [&] {
             std::string b = bytes;
             b[b.size() / 2] ^= 0x20;
             return b;
         }()},
        {"other version", [&] {
             std::string b = bytes;
             b[12] ^= 1;
             return b;
         }()},
        {"array length huge", [&] {
             std::string b = bytes;
             const size_t keyLen = size_t(uint8_t(b[16])) | size_t(uint8_t(b[17])) << 8;
             b[((20 + keyLen + 7) & ~size_t(7)) + 7] = '\x7F'; // the first array's length
             return b;
         }()},
    };
    for (const auto& c : cases) {
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << c.content;
        }
        MorphTable t;
        MorphCacheOutcome outcome;
        ASSERT_EQ(loadMorphTableCached(s.src, cache, t, &outcome), "") << c.what;
        EXPECT_EQ(outcome, MorphCacheOutcome::Rebuilt) << c.what;
        expectSame(good, t);
        ASSERT_EQ(loadMorphTableCached(s.src, cache, t, &outcome), "") << c.what;
        EXPECT_EQ(outcome, MorphCacheOutcome::Read) << c.what;
    }
}

TEST(MorphCache, ChangedSourceGetsItsOwnFile) {
    Sources s;
    const std::string cache = s.dir.file("cache");
    MorphTable t;
    MorphCacheOutcome outcome;
    ASSERT_EQ(loadMorphTableCached(s.src, cache, t, &outcome), "");
    const std::string key = morphCacheKey(s.src);
    s.dir.write("data/morph/supplement.txt", "нога: ноженька ножища\n");
    EXPECT_NE(morphCacheKey(s.src), key);
    ASSERT_EQ(loadMorphTableCached(s.src, cache, t, &outcome), "");
    EXPECT_EQ(outcome, MorphCacheOutcome::Built);
    EXPECT_NE(t.find(w1251("НОЖИЩА")), MorphTable::kNone);
    // The dictionary too: its size and time are part of the key.
    s.dir.write("dict/ru_RU.dic", "4\nнога/N\nрука/N\nёж\nуж\n");
    ASSERT_EQ(loadMorphTableCached(s.src, cache, t, &outcome), "");
    EXPECT_EQ(outcome, MorphCacheOutcome::Built);
    EXPECT_NE(t.find(w1251("УЖ")), MorphTable::kNone);
}

TEST(MorphCache, StaleFilesOfOtherKeysAreRemoved) {
    Sources s;
    const std::string cache = s.dir.file("cache");
    const auto weekAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 8);
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::minutes(61);
    s.dir.write("cache/morph-0000000000000001.bin", "old");
    s.dir.write("cache/morph-0000000000000002.bin", "recent");
    s.dir.write("cache/morph-0000000000000003.bin.tmp77", "left by a stopped writer");
    s.dir.write("cache/morph-0000000000000004.bin.tmp78", "being written");
    s.dir.write("cache/other.bin", "not ours");
    fs::last_write_time(cache + "/morph-0000000000000001.bin", weekAgo);
    fs::last_write_time(cache + "/morph-0000000000000003.bin.tmp77", hourAgo);
    fs::last_write_time(cache + "/other.bin", weekAgo);
    MorphTable t;
    ASSERT_EQ(loadMorphTableCached(s.src, cache, t), "");
    EXPECT_FALSE(fs::exists(cache + "/morph-0000000000000001.bin"));
    EXPECT_TRUE(fs::exists(cache + "/morph-0000000000000002.bin"));
    EXPECT_FALSE(fs::exists(cache + "/morph-0000000000000003.bin.tmp77"));
    EXPECT_TRUE(fs::exists(cache + "/morph-0000000000000004.bin.tmp78"));
    EXPECT_TRUE(fs::exists(cache + "/other.bin"));
    EXPECT_TRUE(fs::exists(morphCachePath(cache, morphCacheKey(s.src))));

    // Of recent files of other keys, the three newest stay: the previous key's file and 9, 8.
    const std::string previous = morphCachePath(cache, morphCacheKey(s.src));
    fs::last_write_time(cache + "/morph-0000000000000002.bin",
                        fs::file_time_type::clock::now() - std::chrono::minutes(30));
    for (int i = 5; i <= 9; ++i) {
        const std::string name = "cache/morph-000000000000000" + std::to_string(i) + ".bin";
        s.dir.write(name, "recent");
        fs::last_write_time(s.dir.file(name), fs::file_time_type::clock::now() -
                                                  std::chrono::minutes(10 - i));
    }
    s.dir.write("data/morph/overrides.txt", "РУКА 43\n"); // a new key: the cache is written
    ASSERT_EQ(loadMorphTableCached(s.src, cache, t), "");
    for (int i : {2, 5, 6, 7})
        EXPECT_FALSE(fs::exists(cache + "/morph-000000000000000" + std::to_string(i) + ".bin")) << i;
    for (int i : {8, 9})
        EXPECT_TRUE(fs::exists(cache + "/morph-000000000000000" + std::to_string(i) + ".bin")) << i;
    EXPECT_TRUE(fs::exists(previous));
}

TEST(MorphCache, WorksWithoutAWritableFolderAndReportsMissingFiles) {
    Sources s;
    s.dir.write("file", "x");
    MorphTable t;
    MorphCacheOutcome outcome;
    ASSERT_EQ(loadMorphTableCached(s.src, s.dir.file("file/cache"), t, &outcome), "");
    EXPECT_EQ(outcome, MorphCacheOutcome::Built);
    ASSERT_EQ(loadMorphTableCached(s.src, "", t, &outcome), "");
    EXPECT_EQ(outcome, MorphCacheOutcome::Built);

    s.src.dicPath = s.dir.file("dict/missing.dic");
    EXPECT_EQ(loadMorphTableCached(s.src, s.dir.file("cache"), t), s.src.dicPath + ": cannot be read");
    s.dir.write("dict/ru_RU.aff", "SET UTF-8\nCOMPOUNDFLAG X\n");
    s.src.dicPath = s.dir.file("dict/ru_RU.dic");
    const std::string err = loadMorphTableCached(s.src, s.dir.file("cache"), t);
    EXPECT_EQ(err.rfind(s.src.affPath + ": line 2: COMPOUNDFLAG is not supported", 0), 0u) << err;
}

TEST(MorphCache, FoldersFromTheEnvironment) {
    {
        EnvVar dict("EBOOK_HUNSPELL_DIR", "/some/dict");
        EnvVar data("EBOOK_DATA_DIR", "/some/data");
        const MorphSources s = morphDefaultSources();
        EXPECT_EQ(s.affPath, "/some/dict/ru_RU.aff");
        EXPECT_EQ(s.dicPath, "/some/dict/ru_RU.dic");
        EXPECT_EQ(s.supplementPath, "/some/data/morph/supplement.txt");
        EXPECT_EQ(s.overridesPath, "/some/data/morph/overrides.txt");
    }
    {
        EnvVar xdg("XDG_CACHE_HOME", "/some/cache");
        EXPECT_EQ(morphCacheFolder(), "/some/cache/talmaran");
    }
    {
        EnvVar xdg("XDG_CACHE_HOME", "");
        EnvVar home("HOME", "/some/home");
        EXPECT_EQ(morphCacheFolder(), "/some/home/.cache/talmaran");
    }
}

// The first calls of a process may come from several threads at once: the tables load once and
// every thread sees them whole.
TEST(MorphCache, SharedTablesLoadOnceForAllThreads) {
    const std::string word = w1251("КОШКАМИ");
    std::vector<std::vector<MorphLemma>> results(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = morphLemmas(word); });
    for (std::thread& t : threads) t.join();
    ASSERT_EQ(morphError(), "");
    ASSERT_EQ(results[0].size(), 1u);
    EXPECT_EQ(cp1251ToUtf8(results[0][0].text), "КОШКА");
    for (const auto& r : results) {
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].number, results[0][0].number);
    }
}
