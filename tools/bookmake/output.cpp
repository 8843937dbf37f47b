#include "output.h"

#include "error.h"
#include "platform/text.h"
#include "sourcetext.h"

#include <fstream>

namespace fs = std::filesystem;

BookOutput::BookOutput(fs::path book, fs::path source)
    : m_book(std::move(book)), m_source(std::move(source)) {}

void BookOutput::prepare() const {
    std::error_code ec;
    if (fs::exists(m_book, ec)) {
        if (!fs::is_directory(m_book, ec))
            throw BuildError(m_book.string(), 0, "the book folder is a file");
        bool empty = fs::is_empty(m_book, ec);
        if (!empty && !fs::exists(m_book / "ebook.ini", ec))
            throw BuildError(m_book.string(), 0,
                             "the folder is not empty and holds no book; give an empty or new folder");
        for (const fs::directory_entry& e : fs::directory_iterator(m_book, ec)) {
            if (e.path().filename() == "user") continue;
            fs::remove_all(e.path(), ec);
            if (ec) throw BuildError(e.path().string(), 0, "cannot remove: " + ec.message());
        }
    }
    fs::create_directories(m_book / "base", ec);
    fs::create_directories(m_book / "user", ec);
    if (ec) throw BuildError(m_book.string(), 0, "cannot create the book folder: " + ec.message());
}

void BookOutput::write(std::string_view rel1251, std::string_view bytes) const {
    const fs::path p = nativeSource(m_book, rel1251);
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) throw BuildError(p.string(), 0, "cannot write the file");
}

bool BookOutput::copy(std::string_view sourcePath1251, std::string_view rel1251) {
    const std::string key(rel1251);
    if (auto it = m_copied.find(key); it != m_copied.end()) return true;
    const fs::path from = nativeSource(m_source, sourcePath1251);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return false;
    const fs::path to = nativeSource(m_book, rel1251);
    fs::create_directories(to.parent_path(), ec);
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) throw BuildError(to.string(), 0, "cannot copy " + from.string() + ": " + ec.message());
    m_copied.emplace(key, std::string(sourcePath1251));
    return true;
}

bool BookOutput::sourceHas(std::string_view sourcePath1251) const {
    std::error_code ec;
    return fs::is_regular_file(nativeSource(m_source, sourcePath1251), ec);
}
