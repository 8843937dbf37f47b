#include "support/testenv.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path p = fs::temp_directory_path() / ("ebook-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            m_path = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string TempDir::file(std::string_view rel) const { return m_path + "/" + std::string(rel); }

void TempDir::write(std::string_view rel, std::string_view bytes) const {
    const fs::path p = file(rel);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TempDir::read(std::string_view rel) const {
    std::ifstream in(file(rel), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TempRegistry::TempRegistry() {
    const char* prev = std::getenv("EBOOK_REGISTRY_DIR");
    m_hadPrevious = prev != nullptr;
    if (prev) m_previous = prev;
    setenv("EBOOK_REGISTRY_DIR", m_dir.path().c_str(), 1);
}

TempRegistry::~TempRegistry() {
    if (m_hadPrevious)
        setenv("EBOOK_REGISTRY_DIR", m_previous.c_str(), 1);
    else
        unsetenv("EBOOK_REGISTRY_DIR");
}

void initTestEnvironment() {
    // Lives for the whole process; removed at exit.
    static TempDir root;
    fs::create_directories(root.file("registry"));
    fs::create_directories(root.file("drive"));
    fs::create_directories(root.file("home"));
    setenv("EBOOK_REGISTRY_DIR", root.file("registry").c_str(), 1);
    setenv("EBOOK_DRIVE_ROOT", root.file("drive").c_str(), 1);
    setenv("XDG_DATA_HOME", root.file("home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", root.file("home").c_str(), 1);
    // Caches (the morphology tables) are shared by all test processes of the build tree, not the
    // user's: building them takes seconds, reading them a fraction of that.
    setenv("XDG_CACHE_HOME", (std::string(EBOOK_BINARY_DIR) + "/test-cache").c_str(), 1);
}

std::string programPath(std::string_view name) {
    for (const char* dir : {"tools", "src/app", "src/shop", ""}) {
        for (const fs::path& p : {fs::path(EBOOK_BINARY_DIR) / dir / name / name,
                                  fs::path(EBOOK_BINARY_DIR) / dir / name})
            if (fs::is_regular_file(p)) return p.string();
    }
    throw std::runtime_error("program not built: " + std::string(name));
}
