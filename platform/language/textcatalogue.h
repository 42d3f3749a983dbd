#pragma once

#include "platform/language/pluralrule.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A compiled GNU catalogue (.mo) read into memory, in either byte order. The
// reader checks the header, both tables and every string's offset and length
// against the bytes before it copies anything; a catalogue it refuses leaves
// this one empty, so the program speaks English.
constexpr size_t CATALOGUE_MAX_BYTES = 4 * 1024 * 1024;
constexpr uint32_t CATALOGUE_MAX_TEXTS = 65536;

class textCatalogue {
  public:
    bool read(std::string_view bytes); // false: not a catalogue this reader takes (now empty)
    bool isEmpty() const { return m_texts.empty(); }
    size_t getTextCount() const { return m_texts.size(); }

    const char* find(const char* key) const;                                 // nullptr: not translated
    const char* findPlural(const char* singular, unsigned long count) const; // nullptr: not translated

  private:
    // The msgid's first (singular) text to its translation's forms.
    std::unordered_map<std::string, std::vector<std::string>> m_texts;
    pluralRule m_plural;
};

// The catalogue of a program's texts for one language: the file's bytes, read
// bounded. False when there is none or it cannot be read.
bool readCatalogueFile(const std::string& path, textCatalogue& catalogue);
