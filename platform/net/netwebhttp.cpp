#include "platform/net/netwebhttp.h"
#include "platform/net/nethex.h"

#include <algorithm>
#include <cstring>

namespace {

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isTokenChar(char c) {
    return c > 0x20 && c < 0x7F && std::strchr("()<>@,;:\\\"/[]?={}", c) == nullptr;
}

bool parseRequestLine(const std::string& line, webRequest& request) {
    const size_t first = line.find(' ');
    const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    if (second == std::string::npos || line.find(' ', second + 1) != std::string::npos)
        return false;
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, second - first - 1);
    const std::string version = line.substr(second + 1);
    return !request.method.empty() &&
           std::all_of(request.method.begin(), request.method.end(), isTokenChar) &&
           !request.target.empty() && request.target[0] == '/' &&
           (version == "HTTP/1.1" || version == "HTTP/1.0");
}

bool percentDecode(const std::string& text, std::string& decoded) {
    decoded.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = netHexValue(text[i + 1]);
        const int low = netHexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

} // namespace

std::string webRequest::header(const std::string& lowerName) const {
    std::string value;
    for (const auto& entry : headers) {
        if (entry.first != lowerName)
            continue;
        if (!value.empty())
            value += ", ";
        value += entry.second;
    }
    return value;
}

bool webRequest::hasToken(const std::string& lowerName, const std::string& token) const {
    const std::string value = lower(header(lowerName));
    size_t start = 0;
    while (start <= value.size()) {
        const size_t comma = std::min(value.find(',', start), value.size());
        if (trim(value.substr(start, comma - start)) == lower(token))
            return true;
        start = comma + 1;
    }
    return false;
}

webParse parseWebRequest(const uint8_t* data, size_t size, webRequest& request, size_t& consumed) {
    const char* text = reinterpret_cast<const char*>(data);
    const size_t searched = std::min(size, WEB_MAX_REQUEST_BYTES);
    const std::string head(text, searched);
    const size_t end = head.find("\r\n\r\n");
    if (end == std::string::npos)
        return size >= WEB_MAX_REQUEST_BYTES ? webParse::tooLarge : webParse::incomplete;
    request = webRequest();
    size_t lineStart = 0;
    bool first = true;
    while (lineStart < end) {
        const size_t lineEnd = head.find("\r\n", lineStart);
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (std::any_of(line.begin(), line.end(), [](char c) { return c == '\0' || c == '\n' || c == '\r'; }))
            return webParse::bad;
        if (first) {
            first = false;
            if (!parseRequestLine(line, request))
                return webParse::bad;
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == 0 || colon == std::string::npos ||
            !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), isTokenChar))
            return webParse::bad;
        request.headers.emplace_back(lower(line.substr(0, colon)), trim(line.substr(colon + 1)));
    }
    // A body would be read as the next request: none is expected.
    const std::string length = request.header("content-length");
    if ((!length.empty() && length != "0") || !request.header("transfer-encoding").empty())
        return webParse::bad;
    consumed = end + 4;
    return webParse::complete;
}

bool webFileOf(const std::string& target, std::string& relativePath) {
    std::string path;
    if (!percentDecode(target.substr(0, target.find_first_of("?#")), path) || path.empty() || path[0] != '/')
        return false;
    relativePath.clear();
    size_t start = 1;
    while (start < path.size()) {
        const size_t slash = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, slash - start);
        start = slash + 1;
        if (part.empty() && slash < path.size())
            return false; // "//"
        if (part.empty())
            break;
        const bool plain = std::none_of(part.begin(), part.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\' || c == ':';
        });
        if (!plain || part[0] == '.')
            return false; // "..", hidden files, drive letters and back-slashes
        if (!relativePath.empty())
            relativePath += '/';
        relativePath += part;
        if (slash == path.size())
            return true;
    }
    relativePath += relativePath.empty() ? "index.html" : "/index.html";
    return true;
}

const char* webContentType(const std::string& name) {
    static const std::pair<const char*, const char*> TYPES[] = {{".html", "text/html; charset=utf-8"},
                                                                {".js", "text/javascript"},
                                                                {".wasm", "application/wasm"},
                                                                {".data", "application/octet-stream"},
                                                                {".css", "text/css"},
                                                                {".png", "image/png"},
                                                                {".json", "application/json"},
                                                                {".svg", "image/svg+xml"},
                                                                {".ico", "image/x-icon"},
                                                                {".ttf", "font/ttf"},
                                                                {".mo", "application/octet-stream"}};
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : lower(name.substr(dot));
    for (const auto& type : TYPES) {
        if (extension == type.first)
            return type.second;
    }
    return "application/octet-stream";
}
