// Temporary folders, registry roots and books for tests. The test mains point the registry and the
// drive root at a fresh temporary folder before any test runs, so no test touches the user's files.
#pragma once

#include <string>
#include <string_view>

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; } // native, no trailing slash
    std::string file(std::string_view rel) const;       // native path of a file inside
    // Writes a file inside (creating folders); bytes as given.
    void write(std::string_view rel, std::string_view bytes) const;
    std::string read(std::string_view rel) const;

private:
    std::string m_path;
};

// Moves the registry roots to a fresh temporary folder for the object's life.
class TempRegistry {
public:
    TempRegistry();
    ~TempRegistry();
    const std::string& dir() const { return m_dir.path(); }

private:
    TempDir m_dir;
    std::string m_previous;
    bool m_hadPrevious;
};

// Sets the process up for tests (registry and drive roots in a temporary folder); called by the
// test mains.
void initTestEnvironment();

// Path of a built program of the project (bookmake, bookquery, ebook, shopd).
std::string programPath(std::string_view name);
