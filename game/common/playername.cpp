#include "game/common/playername.h"

#include "core/displaytext.h"
#include "platform/language/translation.h"

#include <algorithm>

bool acceptPlayerName(const std::string& text, std::string& name, std::string& error) {
    if (text.empty()) {
        error = tr("the name is empty");
        return false;
    }
    // What a host would clean on the way in is refused here, so that every
    // player sees the name as it was given.
    if (makeDisplayText(text) != text) {
        error = tr("the name must be valid UTF-8 without control or bidirectional characters");
        return false;
    }
    name = cutAtCharacter(text, PLAYER_NAME_MAX_BYTES);
    return true;
}
