#include "sound/sound.h"

#include "core/random.h"
#include "sound/platformresult.h"
#include "sound/soundconstants.h"

#include <cstring>

using namespace win;

CSound::CSound(std::vector<audioBuffer> buffers, uint32_t bufferSize, uint32_t bufferCount,
               std::unique_ptr<CWaveReader> waveReader, uint32_t creationFlags)
    : m_buffers(std::move(buffers)), m_bufferSize(bufferSize), m_waveReader(std::move(waveReader)),
      m_bufferCount(bufferCount), m_creationFlags(creationFlags) {
    if (m_bufferCount > m_buffers.size()) {
        m_bufferCount = static_cast<uint32_t>(m_buffers.size());
    }
    if (!m_buffers.empty()) {
        fillBuffer(m_buffers.front(), false);
    }
}

CSound::~CSound() = default;

HRESULT CSound::play(uint32_t /*priority*/, uint32_t flags, int32_t /*volume*/, int32_t /*frequency*/,
                     int32_t /*pan*/) {
    audioBuffer* buffer = findFreeBuffer();
    if (buffer == nullptr) {
        return E_FAIL;
    }
    bool restored = false;
    const HRESULT restoreResult = restoreBuffer(*buffer, &restored);
    if (failed(restoreResult)) {
        return restoreResult;
    }
    if (restored) {
        const HRESULT refill = fillBuffer(*buffer, false);
        if (failed(refill)) {
            return refill;
        }
    }
    // Volume, frequency and pan need controls the audio layer does not offer;
    // such sounds are refused when they are created.
    if ((m_creationFlags & SOUND_UNSUPPORTED_CAPS) != 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    return toSoundResult(buffer->play((flags & DSBPLAY_LOOPING) != 0));
}

HRESULT CSound::stop() {
    HRESULT result = S_OK;
    for (audioBuffer& buffer : m_buffers) {
        const HRESULT each = toSoundResult(buffer.stop());
        if (failed(each)) {
            result = each;
        }
    }
    return result;
}

HRESULT CSound::reset() {
    HRESULT result = S_OK;
    for (audioBuffer& buffer : m_buffers) {
        const HRESULT each = toSoundResult(buffer.rewind());
        if (failed(each)) {
            result = each;
        }
    }
    return result;
}

bool CSound::isPlaying() const {
    for (const audioBuffer& buffer : m_buffers) {
        if (buffer.isPlaying()) {
            return true;
        }
    }
    return false;
}

HRESULT CSound::fillBuffer(audioBuffer& buffer, bool repeat) {
    const HRESULT restoreResult = restoreBuffer(buffer, nullptr);
    if (failed(restoreResult)) {
        return restoreResult;
    }
    uint8_t* bytes = buffer.lock();
    const uint32_t lockedSize = buffer.getSize();
    if (bytes == nullptr || m_waveReader == nullptr) {
        return E_INVALIDARG;
    }
    uint32_t filled = 0;
    HRESULT result = m_waveReader->rewind();
    if (succeeded(result)) {
        result = m_waveReader->read(bytes, lockedSize, &filled);
    }
    // Repeating stops as soon as a pass brings nothing, so an empty or failing
    // reader cannot hold the loop.
    while (repeat && succeeded(result) && filled > 0 && filled < lockedSize) {
        uint32_t more = 0;
        result = m_waveReader->rewind();
        if (succeeded(result)) {
            result = m_waveReader->read(bytes + filled, lockedSize - filled, &more);
        }
        if (more == 0) {
            break;
        }
        filled += more;
    }
    if (filled < lockedSize) {
        std::memset(bytes + filled, silence(), lockedSize - filled);
    }
    const HRESULT unlocked = toSoundResult(buffer.unlock());
    return failed(result) ? result : unlocked;
}

HRESULT CSound::restoreBuffer(audioBuffer& buffer, bool* restored) {
    if (restored != nullptr) {
        *restored = false;
    }
    if (!buffer.isValid()) {
        return E_INVALIDARG;
    }
    // Buffers of the audio layer keep their memory: there is never anything to restore.
    return S_FALSE;
}

audioBuffer* CSound::findFreeBuffer() {
    if (m_buffers.empty()) {
        return nullptr;
    }
    for (audioBuffer& buffer : m_buffers) {
        if (!buffer.isPlaying()) {
            return &buffer;
        }
    }
    return &m_buffers[static_cast<size_t>(random15()) % m_buffers.size()];
}

const audioBuffer* CSound::getBuffer(uint32_t index) const {
    return index < m_buffers.size() ? &m_buffers[index] : nullptr;
}

uint8_t CSound::silence() const {
    const WAVEFORMATEX* format = m_waveReader != nullptr ? m_waveReader->getFormat() : nullptr;
    return format != nullptr && format->wBitsPerSample == 8 ? 128 : 0;
}
