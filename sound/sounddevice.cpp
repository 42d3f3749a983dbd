#include "sound/sounddevice.h"

#include "sound/platformresult.h"

#include <limits>
#include <vector>

using namespace win;

namespace {

// The output is opened in this format until setPrimaryBufferFormat asks for another.
constexpr audioFormat DEFAULT_PRIMARY_FORMAT{2, 22050, 16};

bool isUsablePcm(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_PCM &&
           format.nBlockAlign == format.nChannels * (format.wBitsPerSample / 8u);
}

} // namespace

HRESULT CSoundDevice::initialise(void* /*window*/, uint32_t level) {
    m_device.reset();
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
        return E_INVALIDARG;
    }
    auto device = std::make_unique<audioDevice>();
    const HRESULT result = toSoundResult(device->open(DEFAULT_PRIMARY_FORMAT));
    if (failed(result)) {
        return result;
    }
    m_device = std::move(device);
    return S_OK;
}

HRESULT CSoundDevice::setPrimaryBufferFormat(uint32_t channels, uint32_t samplesPerSecond,
                                             uint32_t bitsPerSample) {
    if (m_device == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (channels > std::numeric_limits<uint16_t>::max() ||
        bitsPerSample > std::numeric_limits<uint16_t>::max()) {
        return DSERR_BADFORMAT;
    }
    const audioFormat format{static_cast<uint16_t>(channels), samplesPerSecond,
                             static_cast<uint16_t>(bitsPerSample)};
    return toSoundResult(m_device->open(format));
}

HRESULT CSoundDevice::create(std::unique_ptr<CSound>* sound, const char* fileName, uint32_t creationFlags,
                             DS3DAlgorithm /*algorithm*/, uint32_t bufferCount) {
    if (m_device == nullptr) {
        return CO_E_NOTINITIALIZED;
    }
    if (fileName == nullptr || sound == nullptr || bufferCount == 0 || bufferCount > SOUND_MAX_BUFFERS) {
        return E_INVALIDARG;
    }
    if ((creationFlags & SOUND_UNSUPPORTED_CAPS) != 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    auto reader = std::make_unique<CWaveReader>();
    reader->open(fileName, nullptr, WAVEFILE_READ);
    if (reader->getSize() == 0) {
        return E_FAIL;
    }
    const WAVEFORMATEX& wave = *reader->getFormat();
    if (!isUsablePcm(wave)) {
        return DSERR_BADFORMAT;
    }
    const audioFormat format{wave.nChannels, wave.nSamplesPerSec, wave.wBitsPerSample};
    std::vector<audioBuffer> buffers(bufferCount);
    HRESULT result = toSoundResult(m_device->createBuffer(format, reader->getSize(), buffers.front()));
    if (failed(result)) {
        return result;
    }
    for (uint32_t i = 1; i < bufferCount; ++i) {
        result = toSoundResult(buffers.front().duplicate(buffers[i]));
        if (failed(result)) {
            return result;
        }
    }
    const uint32_t size = reader->getSize();
    *sound =
        std::make_unique<CSound>(std::move(buffers), size, bufferCount, std::move(reader), creationFlags);
    return S_OK;
}
