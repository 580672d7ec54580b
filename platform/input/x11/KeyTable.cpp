#include "platform/input/x11/KeyTable.h"

#include <X11/keysym.h>

#include <algorithm>
#include <bit>

namespace FTDI::x11 {

namespace {

// A key that sets modifiers selecting a level, and the modifiers it sets.
struct LevelShift {
    KeyCode code;
    unsigned modifiers;
};

bool IsLevelShift(KeySym keysym) {
    return keysym == XK_Shift_L || keysym == XK_Shift_R || keysym == XK_ISO_Level3_Shift ||
           keysym == XK_ISO_Level5_Shift;
}

// The group a key takes for the keyboard's group, by the key's own rule for
// groups it does not have.
int KeyGroup(const XkbDescRec& map, int code, int group) {
    const int groups = XkbKeyNumGroups(&map, code);
    if (group < groups)
        return group;
    const unsigned char info = XkbKeyGroupInfo(&map, code);
    switch (XkbOutOfRangeGroupAction(info)) {
    case XkbRedirectIntoRange: {
        const int redirected = XkbOutOfRangeGroupNumber(info);
        return redirected < groups ? redirected : 0;
    }
    case XkbClampIntoRange:
        return groups - 1;
    default:
        return group % groups;
    }
}

// The shift level a key type gives for the effective modifiers.
int LevelOf(const XkbKeyTypeRec& type, unsigned modifiers) {
    modifiers &= type.mods.mask;
    for (int i = 0; i < type.map_count; ++i)
        if (type.map[i].active && type.map[i].mods.mask == modifiers)
            return type.map[i].level;
    return 0;
}

bool HasSymbols(const XkbDescRec& map, int code) {
    const KeySym* syms = XkbKeySymsPtr(&map, code);
    return std::any_of(syms, syms + XkbKeyNumSyms(&map, code), [](KeySym s) { return s != NoSymbol; });
}

} // namespace

KeySym KeysymOfCharacter(char32_t c) {
    if (c == U'\n')
        return XK_Return;
    if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF))
        return c;
    if (c >= 0x100 && c <= 0x10FFFF)
        return 0x01000000 | c;
    return NoSymbol;
}

char32_t CharacterOfKeysym(KeySym keysym) {
    if (keysym == XK_Return)
        return U'\n';
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return static_cast<char32_t>(keysym);
    if (keysym >= 0x01000100 && keysym <= 0x0110FFFF)
        return static_cast<char32_t>(keysym & 0x00FFFFFF);
    if (keysym >= 0x01000020 && keysym <= 0x010000FF) // Latin-1 written as Unicode
        return KeysymOfCharacter(keysym & 0xFF) != NoSymbol ? static_cast<char32_t>(keysym & 0xFF) : 0;
    return 0;
}

KeyTable::KeyTable(const XkbDescRec& map, int group, unsigned lockedModifiers) {
    const unsigned char* modmap = map.map->modmap;
    std::vector<LevelShift> shifts;
    for (int code = map.min_key_code; code <= map.max_key_code; ++code) {
        if (modmap[code] == 0 || XkbKeyNumGroups(&map, code) == 0)
            continue;
        const KeySym keysym = XkbKeySymEntry(&map, code, 0, KeyGroup(map, code, group));
        const bool known = std::any_of(shifts.begin(), shifts.end(),
                                       [&](const LevelShift& s) { return s.modifiers == modmap[code]; });
        if (IsLevelShift(keysym) && !known && shifts.size() < 3)
            shifts.push_back({static_cast<KeyCode>(code), modmap[code]});
    }

    // Sets of level shifts to hold, fewest first; at most two at a time.
    std::vector<unsigned> sets;
    for (unsigned set = 0; set < (1u << shifts.size()); ++set)
        if (std::popcount(set) <= 2)
            sets.push_back(set);
    std::stable_sort(sets.begin(), sets.end(),
                     [](unsigned a, unsigned b) { return std::popcount(a) < std::popcount(b); });

    // From the highest code down, so that on a tie the lower code (the main
    // block rather than keypad or multimedia keys) wins.
    for (int code = map.max_key_code; code >= map.min_key_code; --code) {
        if (modmap[code] != 0)
            continue; // a modifier key changes the state, whatever it types
        if (!HasSymbols(map, code)) {
            spare_.push_back(static_cast<KeyCode>(code));
            continue;
        }
        const int keyGroup = KeyGroup(map, code, group);
        const XkbKeyTypeRec& type = *XkbKeyKeyType(&map, code, keyGroup);
        const int width = XkbKeyGroupWidth(&map, code, keyGroup);
        for (int level = 0; level < width; ++level) {
            const char32_t c = CharacterOfKeysym(XkbKeySymEntry(&map, code, level, keyGroup));
            if (c == 0)
                continue;
            for (const unsigned set : sets) {
                unsigned modifiers = lockedModifiers;
                for (std::size_t i = 0; i < shifts.size(); ++i)
                    if (set & (1u << i))
                        modifiers |= shifts[i].modifiers;
                if (LevelOf(type, modifiers) != level)
                    continue;
                const auto known = strokes_.find(c);
                if (known == strokes_.end() || std::popcount(set) <= known->second.modifierCount) {
                    KeyStroke stroke;
                    stroke.code = static_cast<KeyCode>(code);
                    for (std::size_t i = 0; i < shifts.size(); ++i)
                        if (set & (1u << i))
                            stroke.modifiers[stroke.modifierCount++] = shifts[i].code;
                    strokes_[c] = stroke;
                }
                break;
            }
        }
    }
}

const KeyStroke* KeyTable::Find(char32_t character) const {
    const auto it = strokes_.find(character);
    return it == strokes_.end() ? nullptr : &it->second;
}

void KeyTable::Bind(char32_t character, KeyCode code) {
    std::erase_if(strokes_, [code](const auto& entry) { return entry.second.code == code; });
    std::erase(spare_, code);
    KeyStroke stroke;
    stroke.code = code;
    strokes_[character] = stroke;
}

} // namespace FTDI::x11
