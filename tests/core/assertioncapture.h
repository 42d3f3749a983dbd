#pragma once

#include "core/assertion.h"

#include <string>
#include <vector>

// Records every assertion report raised while it lives and answers Debug, so
// the reporting call returns and the test can look at what was reported.
class AssertionCapture {
  public:
    AssertionCapture() : m_previous(setAssertionHandler(&record)) { reports().clear(); }
    ~AssertionCapture() { setAssertionHandler(m_previous); }

    AssertionCapture(const AssertionCapture&) = delete;
    AssertionCapture& operator=(const AssertionCapture&) = delete;

    const std::vector<std::string>& texts() const { return reports(); }
    size_t count() const { return reports().size(); }
    const std::string& caption() const { return lastCaption(); }

    // True when report index holds the message and the condition, each in double quotes.
    bool holds(size_t index, const std::string& message, const std::string& condition) const {
        if (index >= reports().size())
            return false;
        const std::string& text = reports()[index];
        return text.find("Message: \"" + message + "\"") != std::string::npos &&
               text.find("Condition: \"" + condition + "\"") != std::string::npos;
    }

  private:
    static std::vector<std::string>& reports() {
        static std::vector<std::string> s_reports;
        return s_reports;
    }
    static std::string& lastCaption() {
        static std::string s_caption;
        return s_caption;
    }
    static AssertionAnswer record(const char* caption, const char* text) {
        lastCaption() = caption;
        reports().push_back(text);
        return AssertionAnswer::Debug;
    }

    AssertionHandler m_previous;
};
