#include "platform/xml/xmldocument.h"

#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <system_error>

// One node of a document; the document lives as long as any node refers to it.
struct xmlNodeState {
    std::shared_ptr<pugi::xml_document> document;
    pugi::xml_node node;
    pugi::xml_attribute attribute; // set for an attribute
    int locks = 0;
};

struct xmlOpener {
    static xmlElement wrap(const std::shared_ptr<pugi::xml_document>& document, pugi::xml_node node) {
        xmlElement element;
        if (node) {
            element.m_state = std::make_shared<xmlNodeState>();
            element.m_state->document = document;
            element.m_state->node = node;
        }
        return element;
    }

    static xmlOpenResult fromParse(const std::shared_ptr<pugi::xml_document>& document,
                                   const pugi::xml_parse_result& parsed) {
        xmlOpenResult result;
        if (parsed.status == pugi::status_file_not_found || parsed.status == pugi::status_io_error) {
            result.reason = parsed.description();
            return result;
        }
        // After an error pugixml leaves a partial tree: never hand it out.
        if (!parsed) {
            result.status = xmlOpenStatus::Malformed;
            result.reason = std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset);
            return result;
        }
        const pugi::xml_node root = document->document_element();
        if (!root) {
            result.status = xmlOpenStatus::Malformed;
            result.reason = "no root element";
            return result;
        }
        result.status = xmlOpenStatus::Ok;
        result.root = wrap(document, root);
        return result;
    }
};

namespace {

pugi::xml_node elementChild(pugi::xml_node node, int index) {
    int i = 0;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (i == index)
            return child;
        ++i;
    }
    return pugi::xml_node();
}

} // namespace

const char* xmlAttribute::getName() const {
    return m_state ? m_state->attribute.name() : "";
}

const char* xmlAttribute::lockText() {
    if (!m_state)
        return "";
    ++m_state->locks;
    return m_state->attribute.value();
}

void xmlAttribute::unlockText() {
    if (m_state && m_state->locks > 0)
        --m_state->locks;
}

void xmlAttribute::setText(const char* value) {
    if (m_state)
        m_state->attribute.set_value(value != nullptr ? value : "");
}

int xmlElement::getChildCount() const {
    if (!m_state)
        return 0;
    int count = 0;
    for (pugi::xml_node child = m_state->node.first_child(); child; child = child.next_sibling())
        count += child.type() == pugi::node_element ? 1 : 0;
    return count;
}

xmlElement xmlElement::getChild(int index) const {
    if (!m_state || index < 0)
        return xmlElement();
    return xmlOpener::wrap(m_state->document, elementChild(m_state->node, index));
}

const char* xmlElement::getName() const {
    return m_state ? m_state->node.name() : "";
}

bool xmlElement::hasChild(const char* name) const {
    return m_state && name != nullptr && m_state->node.child(name);
}

xmlElement xmlElement::getChild(const char* name) const {
    if (!m_state || name == nullptr)
        return xmlElement();
    return xmlOpener::wrap(m_state->document, m_state->node.child(name));
}

bool xmlElement::hasAttribute(const char* name) const {
    return m_state && name != nullptr && m_state->node.attribute(name);
}

xmlAttribute xmlElement::getAttribute(const char* name) const {
    xmlAttribute attribute;
    if (!hasAttribute(name))
        return attribute;
    attribute.m_state = std::make_shared<xmlNodeState>();
    attribute.m_state->document = m_state->document;
    attribute.m_state->node = m_state->node;
    attribute.m_state->attribute = m_state->node.attribute(name);
    return attribute;
}

const char* xmlElement::lockText() {
    if (!m_state)
        return "";
    ++m_state->locks;
    return m_state->node.text().get();
}

void xmlElement::unlockText() {
    if (m_state && m_state->locks > 0)
        --m_state->locks;
}

void xmlElement::setText(const char* text) {
    if (m_state)
        m_state->node.text().set(text != nullptr ? text : "");
}

void xmlElement::setAttribute(const char* name, const char* value) {
    if (!m_state || name == nullptr)
        return;
    pugi::xml_attribute attribute = m_state->node.attribute(name);
    if (!attribute)
        attribute = m_state->node.append_attribute(name);
    attribute.set_value(value != nullptr ? value : "");
}

xmlElement xmlElement::appendChild(const char* name) {
    if (!m_state || name == nullptr)
        return xmlElement();
    return xmlOpener::wrap(m_state->document, m_state->node.append_child(name));
}

bool xmlElement::save(const std::string& fileName) const {
    return m_state && m_state->document->save_file(fileName.c_str());
}

xmlOpenResult openXmlFile(const std::string& fileName) {
    std::error_code error;
    const std::filesystem::path path(fileName);
    if (!std::filesystem::is_regular_file(path, error)) {
        xmlOpenResult result;
        result.reason = "not a readable file";
        return result;
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > static_cast<unsigned long long>(XML_MAX_FILE_SIZE)) {
        xmlOpenResult result;
        result.status = error ? xmlOpenStatus::CannotOpen : xmlOpenStatus::Malformed;
        result.reason = error ? error.message() : "file too large";
        return result;
    }
    auto document = std::make_shared<pugi::xml_document>();
    return xmlOpener::fromParse(document, document->load_file(fileName.c_str()));
}

xmlOpenResult parseXmlText(const std::string& text) {
    auto document = std::make_shared<pugi::xml_document>();
    return xmlOpener::fromParse(document, document->load_buffer(text.data(), text.size()));
}

xmlElement newXmlDocument(const char* rootName) {
    auto document = std::make_shared<pugi::xml_document>();
    return xmlOpener::wrap(document, document->append_child(rootName != nullptr ? rootName : "root"));
}
