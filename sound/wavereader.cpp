#include "sound/wavereader.h"

#include "core/bytereader.h"

#include <algorithm>

using namespace win;

namespace {

constexpr uint32_t fourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

constexpr uint32_t ID_RIFF = fourCC('R', 'I', 'F', 'F');
constexpr uint32_t ID_WAVE = fourCC('W', 'A', 'V', 'E');
constexpr uint32_t ID_FMT = fourCC('f', 'm', 't', ' ');
constexpr uint32_t ID_DATA = fourCC('d', 'a', 't', 'a');

// RIFF chunks start on even offsets: an odd-sized chunk is followed by a pad byte.
uint64_t paddedSize(uint32_t size) {
    return static_cast<uint64_t>(size) + (size & 1u);
}

} // namespace

HRESULT CWaveReader::open(const char* fileName, const WAVEFORMATEX* /*format*/, uint32_t mode) {
    close();
    m_hasFormat = false;
    m_extraFormat.clear();
    m_size = 0;
    if (fileName == nullptr || mode != WAVEFILE_READ) {
        return E_INVALIDARG;
    }
    m_mode = mode;
    // The program has no embedded resources: a file that cannot be opened is the end of it.
    m_file.open(fileName, std::ios::binary);
    if (!m_file.is_open()) {
        return E_FAIL;
    }
    m_file.seekg(0, std::ios::end);
    const std::streamoff end = m_file.tellg();
    m_fileSize = end > 0 ? static_cast<uint64_t>(end) : 0;
    const HRESULT header = readHeader();
    if (failed(header)) {
        close();
        return header;
    }
    const HRESULT rewound = rewind();
    if (failed(rewound)) {
        return rewound;
    }
    m_size = static_cast<uint32_t>(m_data.present);
    return S_OK;
}

HRESULT CWaveReader::readHeader() {
    uint8_t header[WAVE_RIFF_HEADER_SIZE];
    byteReader in(header, sizeof(header));
    uint32_t riff = 0;
    uint32_t size = 0;
    uint32_t form = 0;
    if (!readAt(0, header, sizeof(header)) || !in.u32(riff) || !in.u32(size) || !in.u32(form) ||
        riff != ID_RIFF || form != ID_WAVE) {
        return E_FAIL;
    }
    m_riff.id = ID_RIFF;
    m_riff.size = size;
    m_riff.dataOffset = WAVE_CHUNK_HEADER_SIZE;
    m_riff.present = std::min<uint64_t>(m_riff.size, m_fileSize - WAVE_CHUNK_HEADER_SIZE);
    chunkInfo format;
    if (!findChunk(ID_FMT, WAVE_RIFF_HEADER_SIZE, m_riff.dataOffset + m_riff.present, format)) {
        return E_FAIL;
    }
    return readFormat(format);
}

HRESULT CWaveReader::readFormat(const chunkInfo& chunk) {
    uint8_t base[WAVE_FORMAT_EX_SIZE];
    if (chunk.size < WAVE_FORMAT_BASE_SIZE || chunk.present < WAVE_FORMAT_BASE_SIZE ||
        !readAt(chunk.dataOffset, base, WAVE_FORMAT_BASE_SIZE)) {
        return E_FAIL;
    }
    WAVEFORMATEX format;
    byteReader in(base, sizeof(base));
    if (!in.u16(format.wFormatTag) || !in.u16(format.nChannels) || !in.u32(format.nSamplesPerSec) ||
        !in.u32(format.nAvgBytesPerSec) || !in.u16(format.nBlockAlign) || !in.u16(format.wBitsPerSample)) {
        return E_FAIL;
    }
    std::vector<uint8_t> extra;
    if (format.wFormatTag != WAVE_FORMAT_PCM) {
        // The extra bytes must lie inside the chunk: a huge count is refused, not allocated.
        if (chunk.present < WAVE_FORMAT_EX_SIZE ||
            !readAt(chunk.dataOffset + WAVE_FORMAT_BASE_SIZE, base + WAVE_FORMAT_BASE_SIZE, 2) ||
            !in.u16(format.cbSize)) {
            return E_FAIL;
        }
        if (chunk.present < WAVE_FORMAT_EX_SIZE + static_cast<uint64_t>(format.cbSize)) {
            return E_FAIL;
        }
        extra.resize(format.cbSize);
        if (!extra.empty() && !readAt(chunk.dataOffset + WAVE_FORMAT_EX_SIZE, extra.data(), extra.size())) {
            return E_FAIL;
        }
    }
    m_format = format;
    m_extraFormat = std::move(extra);
    m_hasFormat = true;
    return S_OK;
}

HRESULT CWaveReader::rewind() {
    if (!m_file.is_open() || !m_hasFormat) {
        return CO_E_NOTINITIALIZED;
    }
    if (!findChunk(ID_DATA, WAVE_RIFF_HEADER_SIZE, m_riff.dataOffset + m_riff.present, m_data)) {
        m_data = chunkInfo{};
        return E_FAIL;
    }
    m_readOffset = m_data.dataOffset;
    return S_OK;
}

HRESULT CWaveReader::read(uint8_t* destination, uint32_t size, uint32_t* bytesRead) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    if (!m_file.is_open()) {
        return CO_E_NOTINITIALIZED;
    }
    if (destination == nullptr || bytesRead == nullptr) {
        return E_INVALIDARG;
    }
    const uint64_t wanted = std::min<uint64_t>(size, m_data.present);
    if (wanted == 0) {
        return S_OK;
    }
    m_file.clear();
    m_file.seekg(static_cast<std::streamoff>(m_readOffset));
    m_file.read(reinterpret_cast<char*>(destination), static_cast<std::streamsize>(wanted));
    const uint64_t got = m_file.good() || m_file.eof() ? static_cast<uint64_t>(m_file.gcount()) : 0;
    m_readOffset += got;
    m_data.present -= got;
    *bytesRead = static_cast<uint32_t>(got);
    return got == wanted ? S_OK : E_FAIL;
}

HRESULT CWaveReader::close() {
    if (m_file.is_open()) {
        m_file.close();
    }
    m_file.clear();
    m_fileSize = 0;
    m_riff = chunkInfo{};
    m_data = chunkInfo{};
    m_readOffset = 0;
    return S_OK;
}

uint32_t CWaveReader::getFormatSize() const {
    return m_hasFormat ? WAVE_FORMAT_EX_SIZE + static_cast<uint32_t>(m_extraFormat.size()) : 0;
}

bool CWaveReader::findChunk(uint32_t id, uint64_t begin, uint64_t end, chunkInfo& found) {
    uint8_t header[WAVE_CHUNK_HEADER_SIZE];
    uint64_t offset = begin;
    while (offset + WAVE_CHUNK_HEADER_SIZE <= end) {
        byteReader in(header, sizeof(header));
        uint32_t chunkId = 0;
        uint32_t size = 0;
        if (!readAt(offset, header, sizeof(header)) || !in.u32(chunkId) || !in.u32(size)) {
            return false;
        }
        const uint64_t contents = offset + WAVE_CHUNK_HEADER_SIZE;
        if (chunkId == id) {
            found.id = id;
            found.size = size;
            found.dataOffset = contents;
            found.present = std::min<uint64_t>(size, end - contents);
            return true;
        }
        offset = contents + paddedSize(size);
    }
    return false;
}

bool CWaveReader::readAt(uint64_t offset, uint8_t* destination, uint64_t count) {
    if (offset > m_fileSize || count > m_fileSize - offset) {
        return false;
    }
    m_file.clear();
    m_file.seekg(static_cast<std::streamoff>(offset));
    m_file.read(reinterpret_cast<char*>(destination), static_cast<std::streamsize>(count));
    return static_cast<uint64_t>(m_file.gcount()) == count;
}
