#pragma once

#include "platform/audio/audioformat.h"
#include "sound/soundresult.h"

// The result code of the sound classes for an answer of the audio layer.
inline win::HRESULT toSoundResult(audioResult result) {
    switch (result) {
    case audioResult::ok:
        return win::S_OK;
    case audioResult::noDevice:
        return win::DSERR_NODRIVER;
    case audioResult::badFormat:
        return win::DSERR_BADFORMAT;
    case audioResult::outOfMemory:
        return win::E_OUTOFMEMORY;
    case audioResult::invalidCall:
        return win::DSERR_INVALIDCALL;
    default:
        return win::E_FAIL;
    }
}
