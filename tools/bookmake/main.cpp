// bookmake build SRC OUT | install SRC OUT | dump FILE [--lemma N]
#include "builder.h"
#include "dump.h"
#include "error.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: bookmake build SOURCE BOOK     build the installed book folder BOOK\n"
                 "       bookmake install SOURCE BOOK   build it and write its registry key\n"
                 "       bookmake dump FILE [--lemma N] print a book file in readable form\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string command = argv[1];
    try {
        if (command == "dump") {
            int32_t lemma = 0;
            bool hasLemma = false;
            if (argc == 5 && std::strcmp(argv[3], "--lemma") == 0) {
                lemma = int32_t(std::stol(argv[4]));
                hasLemma = true;
            } else if (argc != 3) {
                return usage();
            }
            return dumpFile(argv[2], hasLemma ? &lemma : nullptr, std::cout) ? 0 : 1;
        }
        if ((command != "build" && command != "install") || argc != 4) return usage();
        const auto t0 = std::chrono::steady_clock::now();
        const BuildSummary s = buildBook(argv[2], argv[3], cachedMorphLemmatizer());
        if (command == "install") installBook(argv[3]);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::cout << "bookmake: " << s.entries << " contents entries, " << s.documents
                  << " documents, " << s.terms << " index terms, " << s.pageBytes
                  << " page bytes, " << seconds << " s\n";
        return 0;
    } catch (const BuildError& e) {
        std::cerr << "bookmake: " << forTerminal(e.what()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "bookmake: " << e.what() << "\n";
    }
    return 1;
}
