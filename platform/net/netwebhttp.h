#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The HTTP/1.1 requests a host's web port understands: a request line and
// headers, no body. Anything longer than WEB_MAX_REQUEST_BYTES is refused.
constexpr size_t WEB_MAX_REQUEST_BYTES = 8192;

struct webRequest {
    std::string method;
    std::string target;                                       // as sent, the query included
    std::vector<std::pair<std::string, std::string>> headers; // names in lower case
    // The value of a header, several joined by ", "; empty when absent.
    std::string header(const std::string& lowerName) const;
    // Whether a comma-separated header holds token (case-insensitive).
    bool hasToken(const std::string& lowerName, const std::string& token) const;
};

enum class webParse : uint8_t { incomplete, complete, bad, tooLarge };

// Parses one request from the start of data; consumed is its length when complete.
webParse parseWebRequest(const uint8_t* data, size_t size, webRequest& request, size_t& consumed);

// The file of the web root a target names, a relative path with '/' between
// folders ("index.html" for the root and for folders); false for a name that
// leaves the root or names a hidden file.
bool webFileOf(const std::string& target, std::string& relativePath);

// The Content-Type of a file by its extension.
const char* webContentType(const std::string& name);
