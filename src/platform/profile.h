// INI files ("ebook.ini", "fonts.ini", "connect.ini") read and written with the rules of the
// Windows profile functions: section and key names ignore case, values are trimmed, a value in
// matching quotes loses them, defaults apply when the file, section or key is missing. On disk:
// Windows-1251 with CR LF; writing a key keeps every other line of the file as it was.
#pragma once

#include <string>
#include <vector>

class TIniFile {
public:
    explicit TIniFile(std::string path1251) : m_path(std::move(path1251)) {}

    const std::string& FileName() const { return m_path; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    // The value read with the reader's decimal rule; def when the key is missing.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    std::vector<std::string> ReadSection(const std::string& section) const; // key names
    bool SectionExists(const std::string& section) const;

    // False when the file cannot be written.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    bool DeleteKey(const std::string& section, const std::string& key);
    bool EraseSection(const std::string& section);

private:
    std::string m_path;
};
