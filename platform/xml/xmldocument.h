#pragma once

#include <memory>
#include <string>

// The XML documents the level loader reads, over a parser kept out of sight.
// Elements and attributes are reference-counted values: each copy holds the
// document alive, and the last one to go frees it. Text handed out by
// lockText stays valid until unlockText or until the text is changed.

struct xmlNodeState;

class xmlElement;

class xmlAttribute {
  public:
    xmlAttribute() = default;
    bool isNull() const { return !m_state; }
    const char* getName() const;
    const char* lockText(); // the value; "" for a null attribute
    void unlockText();
    void setText(const char* value);

  private:
    friend class xmlElement;
    std::shared_ptr<xmlNodeState> m_state;
};

class xmlElement {
  public:
    xmlElement() = default;
    bool isNull() const { return !m_state; }

    int getChildCount() const;            // child elements only
    xmlElement getChild(int index) const; // null when out of range
    const char* getName() const;          // "" for a null element
    bool hasChild(const char* name) const;
    xmlElement getChild(const char* name) const; // the first of that name; null when missing
    bool hasAttribute(const char* name) const;
    xmlAttribute getAttribute(const char* name) const; // null when missing

    const char* lockText(); // the element's text; "" when it has none
    void unlockText();

    void setText(const char* text);
    void setAttribute(const char* name, const char* value); // adds or replaces
    xmlElement appendChild(const char* name);

    bool save(const std::string& fileName) const; // the whole document

  private:
    friend struct xmlOpener;
    std::shared_ptr<xmlNodeState> m_state;
};

enum class xmlOpenStatus { Ok, CannotOpen, Malformed };

struct xmlOpenResult {
    xmlOpenStatus status = xmlOpenStatus::CannotOpen;
    std::string reason; // for a status other than Ok
    xmlElement root;    // the root element when Ok
};

constexpr long long XML_MAX_FILE_SIZE = 16 * 1024 * 1024; // a level is a few kilobytes

xmlOpenResult openXmlFile(const std::string& fileName);
xmlOpenResult parseXmlText(const std::string& text);
xmlElement newXmlDocument(const char* rootName);
