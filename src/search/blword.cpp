#include "search/blword.h"

#include "platform/morph.h"
#include "platform/text.h"

#include <algorithm>

void Blword::normalise(std::string_view word, std::string& key) {
    key.clear();
    for (char ch : word) {
        if (ch == ' ') continue;
        key.push_back(char(foldYo(upperCp1251(static_cast<unsigned char>(ch)))));
    }
}

bool Blword::find(std::string_view key, size_t& position) const {
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key,
                                     [](const std::string& a, std::string_view b) { return a < b; });
    position = size_t(it - m_keys.begin());
    return it != m_keys.end() && *it == key;
}

void Blword::add(std::string_view word, int32_t lemma) {
    std::string key;
    normalise(word, key);
    size_t position;
    if (key.empty() || find(key, position)) return;
    m_keys.insert(m_keys.begin() + std::ptrdiff_t(position), std::move(key));
    m_values.insert(m_values.begin() + std::ptrdiff_t(position), lemma);
}

bool Blword::lookup(std::string_view word, int32_t& lemma) const {
    std::string key;
    normalise(word, key);
    size_t position;
    if (!find(key, position)) return false;
    lemma = m_values[position];
    return true;
}

void addLemmaForms(Blword& forms, int32_t lemma) {
    constexpr int kBufferSize = 4096;
    char buffer[kBufferSize];
    // Form number 0 gives the forms that fit, each further number the next buffer-full; a count
    // of 0 means none are left.
    for (int formNumber = 0; formNumber < 256; ++formNumber) {
        const int count = morphBuildForm(0, lemma, 256, uint8_t(formNumber), buffer, kBufferSize);
        if (count <= 0) break;
        const char* p = buffer;
        const char* const end = buffer + kBufferSize;
        for (int i = 0; i < count && p < end; ++i) {
            const char* z = std::find(p, end, '\0');
            forms.add(std::string_view(p, size_t(z - p)), lemma);
            p = z + 1;
        }
    }
}
