#pragma once

#include "platform/xml/xmldocument.h"

#include <string>

// The level file's access layer: handles on the document's elements and
// attributes that turn their text into values and back. Malformed text is
// reported by throwing; these are the program's only exceptions.
namespace QXL {

class Exception {};                                     // also: a file that cannot be opened
class InvalidParameterException : public Exception {};  // a null element, a null or empty buffer
class InvalidFileFormatException : public Exception {}; // text that does not parse, a missing part

constexpr char DEFAULT_DELIMITER = ',';
constexpr char DEFAULT_TERMINATOR = ';';
constexpr int MAX_LIST_ITEMS = 1 << 16; // bound on any count attribute

class AttributeHandle {
  public:
    explicit AttributeHandle(const xmlAttribute& attribute); // InvalidParameterException when null

    int readString(char* buffer, int size) const; // copies at most size - 1 characters
    int readInteger() const;                      // " %d"
    float readFloat() const;                      // " %f"

    void writeString(const char* text);
    void writeInteger(int value);
    void writeFloat(float value);

  private:
    mutable xmlAttribute m_attribute;
};

class ElementHandle {
  public:
    explicit ElementHandle(const xmlElement& element); // InvalidParameterException when null

    int getChildCount() const;
    ElementHandle getChild(int index) const; // InvalidFileFormatException when out of range
    std::string getName() const;
    bool hasChild(const char* name) const;
    ElementHandle getChild(const char* name) const; // InvalidFileFormatException when missing
    bool hasAttribute(const char* name) const;
    AttributeHandle getAttribute(const char* name) const; // InvalidFileFormatException when missing

    int readString(char* buffer, int size) const; // copies at most size - 1 characters
    int readInteger() const;                      // " %d"
    float readFloat() const;                      // " %f"
    void readFloat2(float* out) const;            // " %f, %f;" with the element's delimiters
    void readFloat3(float* out) const;            // " %f, %f, %f;" likewise

    // Lists carry a count attribute; each returns the number of items or
    // records read, at most what fits in capacity (given in numbers).
    int readIntegerList(int* destination, int capacity) const;
    int readFloatList(float* destination, int capacity) const;
    int readFloat2List(float* destination, int capacity) const;
    int readVertexList(float* destination, int capacity) const; // three floats a record
    int readFloat8List(float* destination, int capacity) const;

    void writeString(const char* text);
    void writeInteger(int value);
    void writeFloat(float value);
    void writeFloat2(const float* values);
    void writeFloat3(const float* values);
    // count is the number of numbers given; whole records are written.
    void writeIntegerList(const int* values, int count);
    void writeFloatList(const float* values, int count);
    void writeFloat2List(const float* values, int count);
    void writeVertexList(const float* values, int count);
    void writeFloat8List(const float* values, int count);

  private:
    int readRecords(float* destination, int capacity, int perRecord) const;
    void writeRecords(const float* values, int count, int perRecord);
    char readSeparator(const char* name, char fallback) const;

    mutable xmlElement m_element;
};

// Opens a document and returns its root. Exception when the file cannot be
// opened, InvalidFileFormatException when it is not well-formed XML; the
// reason goes to standard error.
ElementHandle open(const std::string& fileName);

} // namespace QXL
