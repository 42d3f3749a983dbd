#include "platform/language/textcatalogue.h"

#include "platform/system/boundedfile.h"

#include <cstring>

namespace {

constexpr uint32_t MO_MAGIC = 0x950412DE;
constexpr size_t MO_HEADER_BYTES = 28; // magic, revision, count, two table offsets, hash size and offset
constexpr size_t MO_ENTRY_BYTES = 8;   // length, offset

class moBytes {
  public:
    explicit moBytes(std::string_view bytes) : m_bytes(bytes) {}

    bool readOrder() {
        if (m_bytes.size() < MO_HEADER_BYTES)
            return false;
        if (word(0, false) == MO_MAGIC)
            m_bigEndian = false;
        else if (word(0, true) == MO_MAGIC)
            m_bigEndian = true;
        else
            return false;
        return true;
    }
    uint32_t at(size_t offset) const { return word(offset, m_bigEndian); }

    // Table entry index of the table at tableOffset: its string, which must
    // lie inside the bytes and end in a zero byte.
    bool text(uint32_t tableOffset, uint32_t index, std::string_view& out) const {
        const uint64_t entry = uint64_t{tableOffset} + uint64_t{index} * MO_ENTRY_BYTES;
        if (entry + MO_ENTRY_BYTES > m_bytes.size())
            return false;
        const uint64_t length = at(static_cast<size_t>(entry));
        const uint64_t offset = at(static_cast<size_t>(entry) + 4);
        if (offset + length >= m_bytes.size() || m_bytes[static_cast<size_t>(offset + length)] != '\0')
            return false;
        out = m_bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
        return true;
    }

  private:
    uint32_t word(size_t offset, bool bigEndian) const {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint32_t byte = static_cast<unsigned char>(m_bytes[offset + static_cast<size_t>(i)]);
            value |= bigEndian ? byte << (24 - 8 * i) : byte << (8 * i);
        }
        return value;
    }

    std::string_view m_bytes;
    bool m_bigEndian = false;
};

// A msgid's or msgstr's texts split at their zero bytes (plural forms).
std::vector<std::string> splitForms(std::string_view text) {
    std::vector<std::string> forms;
    size_t start = 0;
    for (size_t end = text.find('\0'); end != std::string_view::npos; end = text.find('\0', start)) {
        forms.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    forms.emplace_back(text.substr(start));
    return forms;
}

std::string_view headerLine(std::string_view header, std::string_view name) {
    for (size_t start = 0; start < header.size();) {
        size_t end = header.find('\n', start);
        if (end == std::string_view::npos)
            end = header.size();
        const std::string_view line = header.substr(start, end - start);
        if (line.substr(0, name.size()) == name)
            return line.substr(name.size());
        start = end + 1;
    }
    return {};
}

} // namespace

bool textCatalogue::read(std::string_view bytes) {
    m_texts.clear();
    m_plural = pluralRule();
    moBytes mo(bytes);
    if (bytes.size() > CATALOGUE_MAX_BYTES || !mo.readOrder())
        return false;
    const uint32_t revision = mo.at(4);
    const uint32_t count = mo.at(8);
    const uint32_t originals = mo.at(12);
    const uint32_t translations = mo.at(16);
    if ((revision >> 16) > 1 || count > CATALOGUE_MAX_TEXTS)
        return false;
    std::unordered_map<std::string, std::vector<std::string>> texts;
    pluralRule plural;
    for (uint32_t i = 0; i < count; ++i) {
        std::string_view key;
        std::string_view value;
        if (!mo.text(originals, i, key) || !mo.text(translations, i, value))
            return false;
        if (key.empty()) {
            const std::string_view forms = headerLine(value, "Plural-Forms:");
            if (!forms.empty() && !plural.parse(forms))
                return false;
            continue;
        }
        const size_t end = key.find('\0');
        texts[std::string(key.substr(0, end))] = splitForms(value);
    }
    m_texts = std::move(texts);
    m_plural = plural;
    return true;
}

const char* textCatalogue::find(const char* key) const {
    const auto found = m_texts.find(key);
    if (found == m_texts.end() || found->second.front().empty())
        return nullptr;
    return found->second.front().c_str();
}

const char* textCatalogue::findPlural(const char* singular, unsigned long count) const {
    const auto found = m_texts.find(singular);
    if (found == m_texts.end())
        return nullptr;
    const unsigned form = m_plural.pickForm(count);
    if (form >= found->second.size() || found->second[form].empty())
        return nullptr;
    return found->second[form].c_str();
}

bool readCatalogueFile(const std::string& path, textCatalogue& catalogue) {
    std::string bytes;
    std::string reason;
    if (readBoundedFile(path, CATALOGUE_MAX_BYTES, bytes, reason) != boundedFileResult::read)
        return false;
    return catalogue.read(bytes);
}
