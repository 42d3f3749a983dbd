#include "game/level/qxl.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace QXL {

namespace {

// Text stays locked for the life of this guard, also while an exception passes.
template <typename Node> class TextLock {
  public:
    explicit TextLock(Node& node) : m_node(node), m_text(node.lockText()) {}
    ~TextLock() { m_node.unlockText(); }
    TextLock(const TextLock&) = delete;
    TextLock& operator=(const TextLock&) = delete;
    const char* text() const { return m_text; }

  private:
    Node& m_node;
    const char* m_text;
};

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// " %d": leading white space skipped, text after the number ignored. Null
// when no number converts or it does not fit an int.
const char* scanInteger(const char* text, int* value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return nullptr;
    *value = static_cast<int>(parsed);
    return end;
}

// " %f", likewise.
const char* scanFloat(const char* text, float* value) {
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (end == text)
        return nullptr;
    *value = parsed;
    return end;
}

// The delimiter must follow a number at once; a blank delimiter, like a blank
// in a scanf format, matches any run of white space.
const char* matchDelimiter(const char* text, char delimiter) {
    if (isBlank(delimiter)) {
        while (isBlank(*text))
            ++text;
        return text;
    }
    return *text == delimiter ? text + 1 : nullptr;
}

// One record " %f<d> %f<d> ...": returns how many numbers converted. What
// follows the last number, the terminator included, is not looked at.
int scanRecord(const char* text, char delimiter, int perRecord, float* out) {
    for (int j = 0; j < perRecord; ++j) {
        if (j > 0) {
            text = matchDelimiter(text, delimiter);
            if (text == nullptr)
                return j;
        }
        text = scanFloat(text, &out[j]);
        if (text == nullptr)
            return j;
    }
    return perRecord;
}

std::string formatFloat(float value) {
    char number[64];
    std::snprintf(number, sizeof(number), "%.3f", value);
    return number;
}

int copyText(const char* text, char* buffer, int size) {
    if (buffer == nullptr || size < 1)
        throw InvalidParameterException();
    const size_t length = std::strlen(text);
    const int copied = static_cast<int>(length < static_cast<size_t>(size - 1) ? length : size - 1);
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return copied;
}

template <typename Node> int readIntegerText(Node& node) {
    TextLock<Node> lock(node);
    int value = 0;
    if (scanInteger(lock.text(), &value) == nullptr)
        throw InvalidFileFormatException();
    return value;
}

template <typename Node> float readFloatText(Node& node) {
    TextLock<Node> lock(node);
    float value = 0.0f;
    if (scanFloat(lock.text(), &value) == nullptr)
        throw InvalidFileFormatException();
    return value;
}

} // namespace

// ---------------------------------------------------------------- attributes

AttributeHandle::AttributeHandle(const xmlAttribute& attribute) : m_attribute(attribute) {
    if (m_attribute.isNull())
        throw InvalidParameterException();
}

int AttributeHandle::readString(char* buffer, int size) const {
    TextLock<xmlAttribute> lock(m_attribute);
    return copyText(lock.text(), buffer, size);
}

int AttributeHandle::readInteger() const {
    return readIntegerText(m_attribute);
}
float AttributeHandle::readFloat() const {
    return readFloatText(m_attribute);
}
void AttributeHandle::writeString(const char* text) {
    m_attribute.setText(text);
}
void AttributeHandle::writeInteger(int value) {
    m_attribute.setText(std::to_string(value).c_str());
}
void AttributeHandle::writeFloat(float value) {
    m_attribute.setText(formatFloat(value).c_str());
}

// ------------------------------------------------------------------ elements

ElementHandle::ElementHandle(const xmlElement& element) : m_element(element) {
    if (m_element.isNull())
        throw InvalidParameterException();
}

int ElementHandle::getChildCount() const {
    return m_element.getChildCount();
}

ElementHandle ElementHandle::getChild(int index) const {
    const xmlElement child = m_element.getChild(index);
    if (child.isNull())
        throw InvalidFileFormatException();
    return ElementHandle(child);
}

std::string ElementHandle::getName() const {
    return m_element.getName();
}
bool ElementHandle::hasChild(const char* name) const {
    return m_element.hasChild(name);
}

ElementHandle ElementHandle::getChild(const char* name) const {
    const xmlElement child = m_element.getChild(name);
    if (child.isNull())
        throw InvalidFileFormatException();
    return ElementHandle(child);
}

bool ElementHandle::hasAttribute(const char* name) const {
    return m_element.hasAttribute(name);
}

AttributeHandle ElementHandle::getAttribute(const char* name) const {
    const xmlAttribute attribute = m_element.getAttribute(name);
    if (attribute.isNull())
        throw InvalidFileFormatException();
    return AttributeHandle(attribute);
}

int ElementHandle::readString(char* buffer, int size) const {
    TextLock<xmlElement> lock(m_element);
    return copyText(lock.text(), buffer, size);
}

int ElementHandle::readInteger() const {
    return readIntegerText(m_element);
}
float ElementHandle::readFloat() const {
    return readFloatText(m_element);
}

char ElementHandle::readSeparator(const char* name, char fallback) const {
    if (!hasAttribute(name))
        return fallback;
    char value[4];
    if (getAttribute(name).readString(value, sizeof(value)) != 1)
        throw InvalidFileFormatException();
    return value[0];
}

void ElementHandle::readFloat2(float* out) const {
    if (out == nullptr)
        throw InvalidParameterException();
    const char delimiter = readSeparator("delimiter", DEFAULT_DELIMITER);
    TextLock<xmlElement> lock(m_element);
    if (scanRecord(lock.text(), delimiter, 2, out) != 2)
        throw InvalidFileFormatException();
}

void ElementHandle::readFloat3(float* out) const {
    if (out == nullptr)
        throw InvalidParameterException();
    const char delimiter = readSeparator("delimiter", DEFAULT_DELIMITER);
    TextLock<xmlElement> lock(m_element);
    if (scanRecord(lock.text(), delimiter, 3, out) != 3)
        throw InvalidFileFormatException();
}

namespace {

int readCount(const ElementHandle& element) {
    const int count = element.getAttribute("count").readInteger();
    if (count < 0 || count > MAX_LIST_ITEMS)
        throw InvalidFileFormatException();
    return count;
}

// A plain list: the first number, then each further one after the next delimiter.
template <typename Value, typename Scan>
int readPlainList(xmlElement& element, int count, char delimiter, Value* destination, int capacity,
                  Scan scan) {
    TextLock<xmlElement> lock(element);
    const char* position = lock.text();
    int read = 0;
    for (; read < count && read < capacity; ++read) {
        if (read > 0) {
            position = std::strchr(position, delimiter);
            if (position == nullptr)
                throw InvalidFileFormatException();
            ++position;
        }
        position = scan(position, &destination[read]);
        if (position == nullptr)
            throw InvalidFileFormatException();
    }
    return read;
}

} // namespace

int ElementHandle::readIntegerList(int* destination, int capacity) const {
    if (destination == nullptr || capacity < 1)
        throw InvalidParameterException();
    const int count = readCount(*this);
    const char delimiter = readSeparator("delimiter", DEFAULT_DELIMITER);
    return readPlainList(m_element, count, delimiter, destination, capacity, scanInteger);
}

int ElementHandle::readFloatList(float* destination, int capacity) const {
    if (destination == nullptr || capacity < 1)
        throw InvalidParameterException();
    const int count = readCount(*this);
    const char delimiter = readSeparator("delimiter", DEFAULT_DELIMITER);
    return readPlainList(m_element, count, delimiter, destination, capacity, scanFloat);
}

// Records of perRecord numbers; after each, reading goes on just past the
// first terminator found from the record's start (the end of the text when
// there is none, so a missing record then fails to parse).
int ElementHandle::readRecords(float* destination, int capacity, int perRecord) const {
    if (destination == nullptr || capacity < 1)
        throw InvalidParameterException();
    const int count = readCount(*this);
    const char delimiter = readSeparator("delimiter", DEFAULT_DELIMITER);
    const char terminator = readSeparator("terminator", DEFAULT_TERMINATOR);
    TextLock<xmlElement> lock(m_element);
    const char* position = lock.text();
    int record = 0;
    for (; record < count && record < capacity / perRecord; ++record) {
        if (scanRecord(position, delimiter, perRecord, destination + record * perRecord) < perRecord)
            throw InvalidFileFormatException();
        const char* end = std::strchr(position, terminator);
        position = end != nullptr ? end + 1 : position + std::strlen(position);
    }
    return record;
}

int ElementHandle::readFloat2List(float* destination, int capacity) const {
    return readRecords(destination, capacity, 2);
}

int ElementHandle::readVertexList(float* destination, int capacity) const {
    return readRecords(destination, capacity, 3);
}

int ElementHandle::readFloat8List(float* destination, int capacity) const {
    return readRecords(destination, capacity, 8);
}

// ------------------------------------------------------------------- writers

void ElementHandle::writeString(const char* text) {
    m_element.setText(text);
}
void ElementHandle::writeInteger(int value) {
    m_element.setText(std::to_string(value).c_str());
}
void ElementHandle::writeFloat(float value) {
    m_element.setText(formatFloat(value).c_str());
}

namespace {

std::string formatRecord(const float* values, int perRecord) {
    std::string text;
    for (int j = 0; j < perRecord; ++j)
        text += (j > 0 ? ", " : "") + formatFloat(values[j]);
    return text + DEFAULT_TERMINATOR;
}

} // namespace

void ElementHandle::writeFloat2(const float* values) {
    if (values == nullptr)
        throw InvalidParameterException();
    m_element.setText(formatRecord(values, 2).c_str());
}

void ElementHandle::writeFloat3(const float* values) {
    if (values == nullptr)
        throw InvalidParameterException();
    m_element.setText(formatRecord(values, 3).c_str());
}

void ElementHandle::writeIntegerList(const int* values, int count) {
    if (values == nullptr || count < 1)
        throw InvalidParameterException();
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? ", " : "") + std::to_string(values[i]);
    m_element.setText((text + DEFAULT_TERMINATOR).c_str());
    m_element.setAttribute("count", std::to_string(count).c_str());
}

void ElementHandle::writeFloatList(const float* values, int count) {
    if (values == nullptr || count < 1)
        throw InvalidParameterException();
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? ", " : "") + formatFloat(values[i]);
    m_element.setText((text + DEFAULT_TERMINATOR).c_str());
    m_element.setAttribute("count", std::to_string(count).c_str());
}

void ElementHandle::writeRecords(const float* values, int count, int perRecord) {
    if (values == nullptr || count < perRecord)
        throw InvalidParameterException();
    const int records = count / perRecord;
    std::string text;
    for (int i = 0; i < records; ++i)
        text += (i > 0 ? "\n" : "") + formatRecord(values + i * perRecord, perRecord);
    m_element.setText(text.c_str());
    m_element.setAttribute("count", std::to_string(records).c_str());
}

void ElementHandle::writeFloat2List(const float* values, int count) {
    writeRecords(values, count, 2);
}
void ElementHandle::writeVertexList(const float* values, int count) {
    writeRecords(values, count, 3);
}
void ElementHandle::writeFloat8List(const float* values, int count) {
    writeRecords(values, count, 8);
}

// ------------------------------------------------------------------- opening

ElementHandle open(const std::string& fileName) {
    const xmlOpenResult opened = openXmlFile(fileName);
    if (opened.status == xmlOpenStatus::Ok)
        return ElementHandle(opened.root);
    std::fprintf(stderr, "%s: %s\n", fileName.c_str(), opened.reason.c_str());
    if (opened.status == xmlOpenStatus::Malformed)
        throw InvalidFileFormatException();
    throw Exception();
}

} // namespace QXL
