#include "platform/net/netwebfiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

const char* reasonOf(int status) {
    switch (status) {
    case 101:
        return "Switching Protocols";
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

std::string statusLine(int status) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reasonOf(status) + "\r\n";
}

// A regular file no larger than the limit; false otherwise.
bool readFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > WEB_MAX_FILE_BYTES)
        return false;
    std::ifstream file(path, std::ios::binary);
    bytes.resize(static_cast<size_t>(size));
    return file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)).good() ||
           size == 0;
}

bool acceptsGzip(const webRequest& request) {
    return request.hasToken("accept-encoding", "gzip");
}

} // namespace

std::vector<uint8_t> webTextResponse(int status, const std::string& extraHeaders) {
    const std::string body = std::string(reasonOf(status)) + "\n";
    const std::string text = statusLine(status) + "Content-Type: text/plain; charset=utf-8\r\n" +
                             "Content-Length: " + std::to_string(body.size()) + "\r\n" +
                             "Cache-Control: no-cache\r\n" + extraHeaders + "\r\n" + body;
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> webFileResponse(const std::string& root, const webRequest& request) {
    if (request.method != "GET" && request.method != "HEAD")
        return webTextResponse(405, "Allow: GET, HEAD\r\n");
    std::string name;
    if (root.empty() || !webFileOf(request.target, name))
        return webTextResponse(404);
    const std::filesystem::path path = std::filesystem::path(root) / std::filesystem::path(name);
    std::vector<uint8_t> body;
    bool gzipped = acceptsGzip(request) && readFile(path.string() + ".gz", body);
    if (!gzipped && !readFile(path, body))
        return webTextResponse(404);
    std::string head = statusLine(200) + "Content-Type: " + webContentType(name) + "\r\n" +
                       "Content-Length: " + std::to_string(body.size()) + "\r\n" +
                       "Cache-Control: no-cache\r\n";
    if (gzipped)
        head += "Content-Encoding: gzip\r\n";
    head += "Vary: Accept-Encoding\r\n\r\n";
    std::vector<uint8_t> response(head.begin(), head.end());
    if (request.method == "GET")
        response.insert(response.end(), body.begin(), body.end());
    return response;
}
