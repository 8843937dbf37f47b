// Costs of the platform layer on the reader's hot paths: resolving page paths (exact and
// ignoring case, in a folder as large as a big page-file book), reading registry values and
// INI keys. Prints microseconds per call and the ratios between them.
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double microsPerCall(int calls, const std::function<void()>& f) {
    f(); // warm the caches of the file system
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        f();
    const std::chrono::duration<double, std::micro> d = std::chrono::steady_clock::now() - start;
    return d.count() / calls;
}

void touch(const fs::path& p) {
    std::ofstream(p) << "x";
}

} // namespace

int main() {
    const fs::path root =
        fs::temp_directory_path() / ("platform-bench-" + std::to_string(getpid()));
    const int pages = 5000;
    fs::create_directories(root / "Book" / "out" / "tree");
    for (int i = 0; i < pages; ++i)
        touch(root / "Book" / "out" / "tree" / ("Page" + std::to_string(i) + ".htm"));
    setenv("EBOOK_REGISTRY_DIR", root.c_str(), 1);

    const std::string base = readerPath(root.string(), true);
    const std::string exact = base + "Book\\out\\tree\\Page4321.htm";
    const std::string lowerName = base + "Book\\out\\tree\\page4321.htm";
    const std::string lowered = lowerCp1251(exact);
    volatile size_t sink = 0;
    const double tExact = microsPerCall(20000, [&] { sink = sink + nativePath(exact).size(); });
    const double tName = microsPerCall(200, [&] { sink = sink + nativePath(lowerName).size(); });
    const double tLowered = microsPerCall(200, [&] { sink = sink + nativePath(lowered).size(); });
    const double tReadable = microsPerCall(20000, [&] { sink = sink + isReadable(exact); });
    std::printf("paths: %d files in the page folder\n", pages);
    std::printf("  nativePath, exact names          %9.2f us\n", tExact);
    std::printf("  nativePath, file name other case %9.2f us  (%.0fx exact)\n", tName,
                tName / tExact);
    std::printf("  nativePath, whole path lowered   %9.2f us  (%.0fx exact)\n", tLowered,
                tLowered / tExact);
    std::printf("  isReadable, exact names          %9.2f us\n", tReadable);

    // A user root as large as many books with every appearance value.
    const int books = 100;
    for (int b = 0; b < books; ++b) {
        TRegistry reg(HKEY_CURRENT_USER);
        reg.OpenKey("SOFTWARE\\talmaran\\book" + std::to_string(b), true);
        for (int v = 0; v < 13; ++v)
            reg.WriteInteger("Value" + std::to_string(v), v);
    }
    TRegistry reg(HKEY_CURRENT_USER);
    reg.OpenKey("software\\talmaran\\book57", false);
    const double tRegRead =
        microsPerCall(2000, [&] { sink = sink + reg.ReadInteger("value7").value_or(0); });
    int flip = 0;
    const double tRegWrite = microsPerCall(100, [&] { reg.WriteInteger("Value7", ++flip % 2); });
    const double tRegSame = microsPerCall(100, [&] { reg.WriteInteger("Value7", 5); });
    std::printf("registry: %d keys, %d values, file %ju bytes\n", books, books * 13,
                std::uintmax_t(fs::file_size(registryFile(HKEY_CURRENT_USER))));
    std::printf("  ReadInteger                      %9.2f us\n", tRegRead);
    std::printf("  WriteInteger (lock, fsync, rename) %7.2f us  (%.0fx a read)\n", tRegWrite,
                tRegWrite / tRegRead);
    std::printf("  WriteInteger, value unchanged    %9.2f us  (%.0fx a read)\n", tRegSame,
                tRegSame / tRegRead);

    std::ofstream(root / "Book" / "ebook.ini")
        << "[Description]\r\nTitle=Book\r\nRegKey=book57\r\nPelvar=0\r\n";
    TIniFile ini(base + "book\\EBOOK.INI");
    const double tIni = microsPerCall(
        20000, [&] { sink = sink + ini.ReadString("Description", "RegKey", "").size(); });
    std::printf("ini: ReadString                    %9.2f us\n", tIni);

    fs::remove_all(root);
    return 0;
}
