#include "platform/system/consolelines.h"

#include <windows.h>

#include <mutex>

namespace {

constexpr DWORD READ_CHUNK = 4096;
// What waits beyond this before the program takes it is dropped: an operator
// types far less between two steps.
constexpr size_t MAX_WAITING_BYTES = 64 * 1024;
constexpr DWORD STOP_WAIT_MS = 1000;

} // namespace

// The thread owns a share of the reader, so that a thread the system cannot
// stop in time outlives the object without reading freed memory.
struct consoleLines::reader {
    std::mutex lock;
    std::string bytes; // read, not yet taken
    bool ended = false;
    HANDLE input = INVALID_HANDLE_VALUE;
    HANDLE thread = nullptr;
};

namespace {

DWORD WINAPI readInput(void* parameter) {
    auto* share = static_cast<std::shared_ptr<consoleLines::reader>*>(parameter);
    const std::shared_ptr<consoleLines::reader> state = std::move(*share);
    delete share;
    for (;;) {
        char buffer[READ_CHUNK];
        DWORD count = 0;
        const bool read = ReadFile(state->input, buffer, READ_CHUNK, &count, nullptr) && count > 0;
        const std::lock_guard<std::mutex> guard(state->lock);
        if (!read) {
            state->ended = true; // ended, cancelled, or cannot be read: nothing more will come
            return 0;
        }
        if (state->bytes.size() + count <= MAX_WAITING_BYTES)
            state->bytes.append(buffer, count);
    }
}

} // namespace

consoleLines::consoleLines() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) == FILE_TYPE_UNKNOWN) {
        m_closed = true;
        return;
    }
    m_reader = std::make_shared<reader>();
    m_reader->input = input;
    auto* share = new std::shared_ptr<reader>(m_reader);
    m_reader->thread = CreateThread(nullptr, 0, readInput, share, 0, nullptr);
    if (m_reader->thread == nullptr) {
        delete share;
        m_reader.reset();
        m_closed = true;
    }
}

consoleLines::~consoleLines() {
    if (!m_reader)
        return;
    CancelSynchronousIo(m_reader->thread);
    WaitForSingleObject(m_reader->thread, STOP_WAIT_MS);
    CloseHandle(m_reader->thread);
}

void consoleLines::take(std::vector<std::string>& lines) {
    if (!m_reader || m_closed)
        return;
    std::string bytes;
    {
        const std::lock_guard<std::mutex> guard(m_reader->lock);
        bytes.swap(m_reader->bytes);
        m_closed = m_reader->ended && bytes.empty();
    }
    addBytes(bytes.data(), bytes.size(), lines);
}
