// The installed book folder being written: B\ebook.ini, B\fonts\, B\base\ (BasePath), B\ itself
// as the pages folder (PagesPath), B\user\ (UserPath). Paths given to it are Windows-1251 with
// "/" between names, relative to B.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

class BookOutput {
public:
    BookOutput(std::filesystem::path book, std::filesystem::path source);

    const std::filesystem::path& book() const { return m_book; }
    const std::filesystem::path& source() const { return m_source; }

    // Empties the book folder (keeping user\, where the reader keeps the reader's files) or
    // creates it; throws BuildError when the folder holds something that is not a book.
    void prepare() const;

    // Writes a file (creating folders); throws BuildError when it cannot.
    void write(std::string_view rel1251, std::string_view bytes) const;

    // Copies a source file to rel1251 in the book once; false when the source is missing.
    bool copy(std::string_view sourcePath1251, std::string_view rel1251);

    // Does the source tree hold this file?
    bool sourceHas(std::string_view sourcePath1251) const;

private:
    std::filesystem::path m_book;
    std::filesystem::path m_source;
    std::map<std::string, std::string> m_copied; // book path -> source path
};
