#include "sound/soundlist.h"

#include <cstring>
#include <filesystem>
#include <system_error>

using namespace win;

soundList::~soundList() {
    // The sounds go before the device they play on.
    m_sounds.clear();
    m_device.reset();
}

HRESULT soundList::initialise(void* window) {
    if (m_device != nullptr) {
        return S_OK;
    }
    m_device = std::make_unique<CSoundDevice>();
    HRESULT result = m_device->initialise(window, DSSCL_PRIORITY);
    if (failed(result)) {
        return result;
    }
    result = m_device->setPrimaryBufferFormat(2, 22050, 16);
    if (failed(result)) {
        return result;
    }
    m_enabled = true;
    m_ready = true;
    return S_OK;
}

int soundList::addSound(const char* fileName) {
    if (m_device == nullptr || fileName == nullptr || std::strlen(fileName) > SOUND_MAX_FILE_NAME) {
        return -1;
    }
    std::error_code error;
    const std::filesystem::path path(fileName);
    if (!std::filesystem::is_regular_file(path, error)) {
        return -1;
    }
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > SOUND_MAX_FILE_BYTES) {
        return -1;
    }
    std::unique_ptr<CSound> newSound;
    if (failed(m_device->create(&newSound, fileName, 0, DS3DALG_DEFAULT, 1)) || newSound == nullptr) {
        return -1;
    }
    m_sounds.push_back(std::move(newSound));
    return getCount() - 1;
}

void soundList::play(int index) {
    if (!m_enabled || !isValid(index)) {
        return;
    }
    if (m_sounds[index]->isPlaying()) {
        restart(index);
        return;
    }
    // A sound stopped half-way (sound switched off) would otherwise go on from there.
    m_sounds[index]->reset();
    m_sounds[index]->play(0, 0, 0, -1, 0);
}

void soundList::stop(int index) {
    if (isValid(index) && m_sounds[index]->isPlaying()) {
        m_sounds[index]->stop();
    }
}

void soundList::restart(int index) {
    if (!m_enabled || !isValid(index)) {
        return;
    }
    if (m_sounds[index]->isPlaying()) {
        stop(index);
        m_sounds[index]->reset();
        play(index);
    } else {
        m_sounds[index]->reset();
    }
}

void soundList::setEnabled(bool flag) {
    m_enabled = flag;
    if (!flag) {
        for (int index = 0; index < getCount(); ++index) {
            stop(index);
        }
    }
}

bool soundList::isPlaying(int index) const {
    return isValid(index) && m_sounds[index]->isPlaying();
}
