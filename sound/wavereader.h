#pragma once

#include "sound/soundresult.h"
#include "sound/waveformat.h"

#include <cstdint>
#include <fstream>
#include <vector>

constexpr uint32_t WAVEFILE_READ = 1;
constexpr uint32_t WAVEFILE_WRITE = 2; // not offered: open refuses it

// Reads the format and the sample data of a RIFF WAVE file. Every chunk is
// taken as no longer than what the file really holds, so a broken file is
// never read past its end and nothing larger than the file is allocated.
class CWaveReader {
  public:
    win::HRESULT open(const char* fileName, const win::WAVEFORMATEX* format, uint32_t mode);
    uint32_t getSize() const { return m_size; } // data bytes found at opening, 0 when none
    win::HRESULT rewind();
    win::HRESULT read(uint8_t* destination, uint32_t size, uint32_t* bytesRead);
    win::HRESULT close();

    const win::WAVEFORMATEX* getFormat() const { return m_hasFormat ? &m_format : nullptr; }
    uint32_t getFormatSize() const; // 18 plus the extra format bytes; 0 without a format
    const std::vector<uint8_t>& getExtraFormat() const { return m_extraFormat; }

  private:
    struct chunkInfo {
        uint32_t id = 0;
        uint32_t size = 0;       // as the chunk header declares it
        uint64_t dataOffset = 0; // where its contents start in the file
        uint64_t present = 0;    // how much of the contents the file holds
    };

    win::HRESULT readHeader();
    win::HRESULT readFormat(const chunkInfo& chunk);
    bool findChunk(uint32_t id, uint64_t begin, uint64_t end, chunkInfo& found);
    bool readAt(uint64_t offset, uint8_t* destination, uint64_t count);

    win::WAVEFORMATEX m_format;
    bool m_hasFormat = false;
    std::vector<uint8_t> m_extraFormat;
    std::ifstream m_file;
    uint64_t m_fileSize = 0;
    chunkInfo m_riff;
    chunkInfo m_data; // present counts the bytes still to read
    uint64_t m_readOffset = 0;
    uint32_t m_size = 0;
    uint32_t m_mode = 0;
};
