#pragma once

#include "platform/audio/audioformat.h"
#include "sound/soundresult.h"

// The result code of the sound classes for an answer of the audio layer.
inline HRESULT toSoundResult(audioResult result) {
    switch (result) {
    case audioResult::ok:
        return S_OK;
    case audioResult::noDevice:
        return DSERR_NODRIVER;
    case audioResult::badFormat:
        return DSERR_BADFORMAT;
    case audioResult::outOfMemory:
        return E_OUTOFMEMORY;
    case audioResult::invalidCall:
        return DSERR_INVALIDCALL;
    default:
        return E_FAIL;
    }
}
