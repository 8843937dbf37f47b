#include "platform/registry.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

const std::string kBook = w1251("SOFTWARE\\talmaran\\Книга");

} // namespace

TEST(Registry, RootsLiveWhereTheEnvironmentSays) {
    TempRegistry reg;
    EXPECT_EQ(registryFile(HKEY_LOCAL_MACHINE), reg.dir() + "/machine.reg");
    EXPECT_EQ(registryFile(HKEY_CURRENT_USER), reg.dir() + "/user.reg");

    TRegistry machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKey(kBook, true));
    ASSERT_TRUE(machine.WriteString("BasePath", "c:\\book\\"));
    TRegistry user(HKEY_CURRENT_USER);
    EXPECT_FALSE(user.OpenKey(kBook, false)); // the roots are separate
    EXPECT_FALSE(fs::exists(reg.dir() + "/user.reg"));
}

TEST(Registry, ValuesRoundTripExactly) {
    TempRegistry reg;
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    const std::pair<std::string, std::string> strings[] = {
        {"BasePath", w1251("c:\\talmaran\\Книги\\1\\")},
        {"Quoted", "say \"hi\" \\ bye"},
        {"Lines", "one\r\ntwo\tthree"},
        {"Every byte", everyByte},
        {"Empty", ""},
        {"", "default value"},
        {w1251("Имя \"странное\"=\\"), "x"},
    };
    const std::pair<std::string, int32_t> numbers[] = {
        {"Zero", 0}, {"Minus", -1}, {"Max", INT32_MAX}, {"Min", INT32_MIN}, {"Colour", 0x00FF8040}};
    {
        TRegistry r(HKEY_CURRENT_USER);
        ASSERT_TRUE(r.OpenKey(kBook, true));
        for (const auto& [name, value] : strings)
            ASSERT_TRUE(r.WriteString(name, value)) << name;
        for (const auto& [name, value] : numbers)
            ASSERT_TRUE(r.WriteInteger(name, value)) << name;
    }
    TRegistry r(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKeyReadOnly(kBook));
    for (const auto& [name, value] : strings)
        EXPECT_EQ(r.ReadString(name), value) << name;
    for (const auto& [name, value] : numbers)
        EXPECT_EQ(r.ReadInteger(name), value) << name;
    EXPECT_EQ(r.GetValueNames().size(), std::size(strings) + std::size(numbers));

    // The file is UTF-8 text, one value a line: control bytes never appear raw.
    const std::string text = fileText(registryFile(HKEY_CURRENT_USER));
    EXPECT_TRUE(isValidUtf8(text));
    EXPECT_TRUE(std::none_of(text.begin(), text.end(),
                             [](char c) { return (unsigned char)c < 0x20 && c != '\n'; }));
    EXPECT_NE(text.find("\"BasePath\"=\"c:\\\\talmaran\\\\Книги\\\\1\\\\\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Minus\"=dword:ffffffff"), std::string::npos) << text;

    // Writing what is already there leaves the file alone (no new file replaces it).
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(registryFile(HKEY_CURRENT_USER).c_str(), &before), 0);
    ASSERT_TRUE(r.WriteInteger("Minus", -1));
    ASSERT_TRUE(r.WriteString("basepath", strings[0].second));
    ASSERT_EQ(stat(registryFile(HKEY_CURRENT_USER).c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    ASSERT_TRUE(r.WriteInteger("Minus", -2));
    ASSERT_EQ(stat(registryFile(HKEY_CURRENT_USER).c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
}

TEST(Registry, KeysAndValueNamesIgnoreCase) {
    TempRegistry reg;
    TRegistry w(HKEY_CURRENT_USER);
    ASSERT_TRUE(w.OpenKey(w1251("Software\\Talmaran\\КНИГА"), true));
    ASSERT_TRUE(w.WriteInteger("Font1Size", 12));
    TRegistry r(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(w1251("software\\TALMARAN\\книга"), false));
    EXPECT_EQ(r.ReadInteger("FONT1SIZE"), 12);
    EXPECT_TRUE(r.ValueExists("font1size"));
    // Writing through another spelling replaces the value and keeps its first spelling.
    ASSERT_TRUE(r.WriteInteger("font1SIZE", 14));
    EXPECT_EQ(r.GetValueNames(), std::vector<std::string>{"Font1Size"});
    EXPECT_EQ(w.ReadInteger("Font1Size"), 14);
    // Doubled and outer backslashes do not make another key.
    EXPECT_TRUE(r.OpenKey(w1251("\\software\\\\talmaran\\книга\\"), false));
    EXPECT_EQ(r.ReadInteger("Font1Size"), 14);
}

TEST(Registry, ReadingAValueOfTheWrongKindOrAMissingOneFails) {
    TempRegistry reg;
    TRegistry r(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(kBook, true));
    ASSERT_TRUE(r.WriteString("Background1Color", "16777215"));
    ASSERT_TRUE(r.WriteInteger("Font1Color", 255));
    EXPECT_EQ(r.ReadInteger("Background1Color"), std::nullopt); // a string, not a DWORD
    EXPECT_EQ(r.ReadInteger("Font2Color"), std::nullopt);       // missing
    EXPECT_EQ(r.ReadString("Font1Color"), "");                  // a DWORD, not a string
    EXPECT_EQ(r.ReadString("Font1Name"), "");
    EXPECT_EQ(r.ReadInteger("Font1Color"), 255);

    TRegistry closed(HKEY_CURRENT_USER);
    EXPECT_EQ(closed.ReadInteger("Font1Color"), std::nullopt);
    EXPECT_FALSE(closed.WriteString("x", "y"));
    r.CloseKey();
    EXPECT_FALSE(r.WriteInteger("x", 1));
}

TEST(Registry, KeysAreCreatedListedAndDeleted) {
    TempRegistry reg;
    TRegistry r(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(r.OpenKey("software\\talmaran", false));
    EXPECT_FALSE(fs::exists(registryFile(HKEY_LOCAL_MACHINE))); // reading writes nothing
    ASSERT_TRUE(r.OpenKey("SOFTWARE\\talmaran\\one", true));
    ASSERT_TRUE(r.WriteString("BasePath", "a"));
    ASSERT_TRUE(r.OpenKey("SOFTWARE\\talmaran\\Two\\deep", true));
    EXPECT_EQ(r.CurrentPath(), "SOFTWARE\\talmaran\\Two\\deep");
    EXPECT_TRUE(r.KeyExists("software\\TALMARAN"));
    EXPECT_TRUE(r.KeyExists("software\\talmaran\\two"));
    EXPECT_FALSE(r.KeyExists("software\\talmaran\\three"));
    ASSERT_TRUE(r.OpenKey("software\\talmaran", false));
    EXPECT_EQ(r.GetKeyNames(), (std::vector<std::string>{"one", "Two"}));

    ASSERT_TRUE(r.OpenKey("software\\talmaran\\one", false));
    EXPECT_TRUE(r.DeleteValue("BASEPATH"));
    EXPECT_FALSE(r.DeleteValue("BasePath"));
    EXPECT_FALSE(r.ValueExists("BasePath"));

    EXPECT_TRUE(r.DeleteKey("Software\\Talmaran\\TWO"));
    EXPECT_FALSE(r.KeyExists("software\\talmaran\\two\\deep"));
    EXPECT_TRUE(r.KeyExists("software\\talmaran\\one"));
    EXPECT_FALSE(r.DeleteKey("software\\talmaran\\two"));
    EXPECT_FALSE(r.OpenKey(std::string("bad\x01name"), true));
}

TEST(Registry, LeftoverTemporaryFileAndFailedWriteLeaveTheRootIntact) {
    TempRegistry reg;
    TRegistry r(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(kBook, true));
    ASSERT_TRUE(r.WriteString("Font1Name", "Arial"));
    const std::string file = registryFile(HKEY_CURRENT_USER);
    const std::string before = fileText(file);

    // What a crash in the middle of a write leaves behind: a half-written temporary file.
    putFile(reg.dir() + "/.user.reg.tmp-AbC123", "[garb");
    EXPECT_EQ(r.ReadString("Font1Name"), "Arial");

    // A write that fails half-way (file size limit in a child process, like a full disk).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        TRegistry c(HKEY_CURRENT_USER);
        const bool ok = c.OpenKey(kBook, false) && c.WriteString("Big", std::string(4000, 'b'));
        _exit(ok ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(fileText(file), before);

    ASSERT_TRUE(r.WriteInteger("Font1Size", 10));
    EXPECT_EQ(r.ReadString("Font1Name"), "Arial");
}

TEST(Registry, TwoProcessesWritingOneRootLoseNothing) {
    TempRegistry reg;
    constexpr int kWriters = 2, kValues = 60;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int i = 0; i < kValues; ++i) {
                // Alternate between a shared key and a key of one's own.
                TRegistry r(HKEY_CURRENT_USER);
                const std::string key = i % 2 ? "Software\\talmaran\\shared"
                                              : "Software\\talmaran\\w" + std::to_string(w);
                ok = ok && r.OpenKey(key, true) &&
                     r.WriteInteger("v" + std::to_string(w) + "_" + std::to_string(i), i);
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t c : children) {
        int status = 0;
        waitpid(c, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValues; ++i) {
            TRegistry r(HKEY_CURRENT_USER);
            const std::string key =
                i % 2 ? "Software\\talmaran\\shared" : "Software\\talmaran\\w" + std::to_string(w);
            ASSERT_TRUE(r.OpenKey(key, false));
            EXPECT_EQ(r.ReadInteger("v" + std::to_string(w) + "_" + std::to_string(i)), i)
                << w << " " << i;
        }
    }
}

TEST(Registry, DamagedFilesKeepTheirValidEntries) {
    const std::string good =
        "[Software\\talmaran\\book]\n\"BasePath\"=\"c:\\\\b\\\\\"\n\"Size\"=dword:0000000c\n";
    struct Row {
        const char* what;
        std::string bytes;
    };
    const Row rows[] = {
        {"binary garbage around", "\x00\xFF\xFE garbage\x01\n"s + good + "\x7F\x80\x81\n\xFF"},
        {"truncated in a value", good + "\"Font1Name\"=\"Ari"},
        {"a line without =",
         "[Software\\talmaran\\book]\nno equals sign here\n" + good.substr(good.find('\n') + 1)},
        {"a 1 MB line",
         std::string(1 << 20, 'z') + "\n" + good + "\"Long\"=" + std::string(1 << 20, 'q') + "\n"},
        {"bad escapes", good + "\"Bad1\"=\"a\\qb\"\n\"Bad2\"=\"\\x4\"\n\"Bad3\"="
                               "\"end\\\"\n\"Bad4\"=dword:123456789\n\"Bad5\"=dword:\n"},
        {"invalid UTF-8 in a value", good + "\"Bad\"=\"\xC3\x28\"\n"},
        {"values before any key", "\"Loose\"=\"x\"\n" + good},
        {"duplicate value, first wins", good + "\"BasePath\"=\"other\"\n"},
        {"a damaged key line hides its values only",
         good + "[Software\\talmaran\\other\n\"Stray\"=\"x\"\n"},
        {"CR LF line ends",
         "[Software\\talmaran\\book]\r\n\"BasePath\"=\"c:\\\\b\\\\\"\r\n\"Size\"=dword:c\r\n"},
    };
    for (const Row& row : rows) {
        TempRegistry reg;
        putFile(registryFile(HKEY_CURRENT_USER), row.bytes);
        TRegistry r(HKEY_CURRENT_USER);
        ASSERT_TRUE(r.OpenKey("software\\talmaran\\book", false)) << row.what;
        EXPECT_EQ(r.ReadString("BasePath"), "c:\\b\\") << row.what;
        EXPECT_EQ(r.ReadInteger("Size"), 12) << row.what;
        EXPECT_EQ(r.GetValueNames(), (std::vector<std::string>{"BasePath", "Size"})) << row.what;
        EXPECT_FALSE(r.KeyExists("software\\talmaran\\other")) << row.what;

        // The next write leaves a clean file with exactly the valid entries.
        ASSERT_TRUE(r.WriteString("UserPath", "u")) << row.what;
        const std::string text = fileText(registryFile(HKEY_CURRENT_USER));
        const std::string body = text.substr(text.find('\n'));
        EXPECT_EQ(body,
                  "\n\n[Software]\n\n[Software\\talmaran]\n\n[Software\\talmaran\\book]\n"
                  "\"BasePath\"=\"c:\\\\b\\\\\"\n\"Size\"=dword:0000000c\n\"UserPath\"=\"u\"\n")
            << row.what;
    }
}

namespace {

// Everything a root holds, in a form that does not depend on the order of the file.
void collect(const std::string& path, std::string& out) {
    TRegistry r(HKEY_CURRENT_USER);
    if (!r.OpenKey(path, false)) return;
    out += "[" + lowerCp1251(path) + "]";
    std::vector<std::string> values = r.GetValueNames(), keys = r.GetKeyNames();
    std::sort(values.begin(), values.end());
    std::sort(keys.begin(), keys.end());
    for (const std::string& v : values)
        out +=
            v + "=" + r.ReadString(v) + "/" + std::to_string(r.ReadInteger(v).value_or(-7)) + ";";
    for (const std::string& k : keys)
        collect(path.empty() ? k : path + "\\" + k, out);
}

} // namespace

TEST(Registry, RandomDamageIsReadAndRewrittenWithoutChange) {
    TempRegistry reg;
    {
        TRegistry r(HKEY_CURRENT_USER);
        ASSERT_TRUE(r.OpenKey(kBook, true));
        r.WriteString("A", w1251("зна\"че\\ние\x01\x98"));
        r.WriteInteger("B", -5);
        ASSERT_TRUE(r.OpenKey("Software\\x\\y", true));
        r.WriteString("", "");
        r.WriteString("n\0m"s, "v");
    }
    const std::string file = registryFile(HKEY_CURRENT_USER);
    const std::string good = fileText(file);
    std::mt19937 rng(7);
    for (int round = 0; round < 30; ++round) {
        std::string bytes = good;
        for (int k = 0, n = 1 + int(rng() % 6); k < n; ++k) {
            const size_t pos = bytes.empty() ? 0 : rng() % bytes.size();
            switch (rng() % 4) {
            case 0:
                if (!bytes.empty()) bytes[pos] = char(rng());
                break;
            case 1:
                bytes.resize(pos);
                break;
            case 2:
                bytes.insert(pos, 1, "[]\"\\=\n\r:x\0\xC3"s[rng() % 11]);
                break;
            default:
                if (!bytes.empty()) bytes.erase(pos, 1);
            }
        }
        putFile(file, bytes);
        std::string before, after;
        collect("", before);
        TRegistry r(HKEY_CURRENT_USER);
        ASSERT_TRUE(r.OpenKey("added", true)) << round;
        const std::string clean = fileText(file);
        ASSERT_TRUE(r.DeleteKey("added")) << round;
        collect("", after);
        EXPECT_EQ(before, after) << round;
        ASSERT_TRUE(r.OpenKey("added", true)) << round;
        EXPECT_EQ(fileText(file), clean) << round; // a clean file stays as it is
    }
}
