// The registry of the reader: two roots (machine and user) of keys with string and DWORD values,
// kept in text files. Key paths compare ignoring letter case. Every write re-reads the file under
// a lock, applies its one change and replaces the file atomically, so a crash mid-write leaves the
// previous file and two processes writing one root never lose each other's values.
//
// Files: $EBOOK_REGISTRY_DIR/machine.reg and user.reg when that variable is set (tests always
// set it); otherwise $XDG_DATA_HOME/talmaran/machine.reg and $XDG_CONFIG_HOME/talmaran/user.reg.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class RegRoot { LocalMachine, CurrentUser };
inline constexpr RegRoot HKEY_LOCAL_MACHINE = RegRoot::LocalMachine;
inline constexpr RegRoot HKEY_CURRENT_USER = RegRoot::CurrentUser;

// Native file that holds a root.
std::string registryFile(RegRoot root);

// All texts are Windows-1251; key paths use backslashes ("SOFTWARE\\talmaran\\book").
class TRegistry {
public:
    explicit TRegistry(RegRoot root = HKEY_CURRENT_USER) : RootKey(root) {}

    RegRoot RootKey;

    // Opens a key; with canCreate the key is created (written to the file) when missing.
    // Without it, false when the key does not exist.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key) { return OpenKey(key, false); }
    void CloseKey();
    const std::string& CurrentPath() const { return m_path; }

    bool KeyExists(const std::string& key) const;
    bool ValueExists(const std::string& name) const;
    std::vector<std::string> GetValueNames() const;
    std::vector<std::string> GetKeyNames() const;

    // A missing value, or one that is not a string, reads as empty.
    std::string ReadString(const std::string& name) const;
    // Empty when the value is missing or is not a DWORD.
    std::optional<int32_t> ReadInteger(const std::string& name) const;

    // False when no key is open or the file cannot be written.
    bool WriteString(const std::string& name, const std::string& value);
    bool WriteInteger(const std::string& name, int32_t value);
    bool DeleteValue(const std::string& name);
    // Deletes a key (relative to the root) with its sub-keys.
    bool DeleteKey(const std::string& key);

private:
    std::string m_path; // open key, empty when none
    bool m_open = false;
};
