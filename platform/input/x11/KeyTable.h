#pragma once
#include <X11/XKBlib.h>

#include <array>
#include <unordered_map>
#include <vector>

namespace FTDI::x11 {

// The keysym of a character (Latin-1 keysyms are their code points, the rest
// of Unicode has keysyms 0x01000000 + code point; '\n' is Return); NoSymbol
// for control characters.
KeySym KeysymOfCharacter(char32_t character);
// The character a keysym types, 0 when it types none (Return types '\n').
char32_t CharacterOfKeysym(KeySym keysym);

// One character's key and the modifier keys held around it.
struct KeyStroke {
    KeyCode code = 0;
    std::array<KeyCode, 2> modifiers{};
    int modifierCount = 0;
};

// Which key types which character in one layout group with the locked
// modifiers (Caps Lock, Num Lock) as they are, built once from the XKB key
// map so that typing a character needs no request to the server. Only
// Shift and the level-three and level-five shifts are used as modifiers:
// they select a level without meaning a shortcut to the receiving program.
class KeyTable {
public:
    KeyTable() = default;
    // map: key types, key symbols and the modifier map (XkbGetMap).
    KeyTable(const XkbDescRec& map, int group, unsigned lockedModifiers);

    const KeyStroke* Find(char32_t character) const;
    // Key codes without symbols or modifiers, highest first.
    const std::vector<KeyCode>& SpareCodes() const { return spare_; }
    // A spare code now types the character on its own (its two levels bound
    // to the character's keysym); whatever it typed before is forgotten.
    void Bind(char32_t character, KeyCode code);

private:
    std::unordered_map<char32_t, KeyStroke> strokes_;
    std::vector<KeyCode> spare_;
};

} // namespace FTDI::x11
