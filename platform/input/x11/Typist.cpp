#include "platform/input/x11/Typist.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "core/Text.h"
#include "platform/input/x11/WindowOwner.h"

namespace FTDI::x11 {

namespace {

std::string ModifierNames(unsigned modifiers) {
    static const char* const names[] = {"Shift", "Lock", "Control", "Mod1", "Mod2", "Mod3", "Mod4", "Mod5"};
    std::string text;
    for (int bit = 0; bit < 8; ++bit)
        if (modifiers & (1u << bit))
            text += (text.empty() ? "" : ", ") + std::string(names[bit]);
    return text;
}

// Lock keys toggle when pressed: releasing one and pressing it again after
// the line would change the lock.
bool IsLockKey(const XkbDescRec& map, int code) {
    const KeySym* syms = XkbKeySymsPtr(&map, code);
    static const KeySym locks[] = {XK_Caps_Lock,         XK_Shift_Lock,          XK_Num_Lock,
                                   XK_Scroll_Lock,       XK_ISO_Lock,            XK_ISO_Level3_Lock,
                                   XK_ISO_Level5_Lock,   XK_ISO_Group_Lock,      XK_ISO_Next_Group_Lock,
                                   XK_ISO_Prev_Group_Lock, XK_ISO_First_Group_Lock, XK_ISO_Last_Group_Lock};
    return std::any_of(syms, syms + XkbKeyNumSyms(&map, code), [](KeySym s) {
        return std::find(std::begin(locks), std::end(locks), s) != std::end(locks);
    });
}

void Append(std::string& text, const std::string& part) {
    if (!part.empty())
        text += (text.empty() ? "" : "; ") + part;
}

} // namespace

vantix::Result<std::unique_ptr<Typist>> Typist::Open(const std::string& display) {
    std::unique_ptr<Display, CloseDisplay> x(XOpenDisplay(display.empty() ? nullptr : display.c_str()));
    if (!x)
        return vantix::Fail("cannot open the X display " + (display.empty() ? std::string("$DISPLAY") : display));
    int event = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(x.get(), &event, &errorBase, &major, &minor))
        return vantix::Fail("the X server lacks the XTEST extension");
    int opcode = 0;
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(x.get(), &opcode, &event, &errorBase, &major, &minor))
        return vantix::Fail("the X server lacks the XKEYBOARD extension");
    // Key map replaced or changed; layout group or locks changed (not the
    // modifiers our own keys set).
    XkbSelectEvents(x.get(), XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask | XkbStateNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask | XkbStateNotifyMask);
    XkbSelectEventDetails(x.get(), XkbUseCoreKbd, XkbStateNotify, XkbAllStateComponentsMask,
                          XkbGroupStateMask | XkbModifierLockMask);
    return std::make_unique<Typist>(x.release(), event);
}

Typist::Typist(Display* display, int xkbEvent)
    : display_(display), trap_(display), xkbEvent_(xkbEvent), host_(HostName()) {}

Typist::~Typist() {
    GiveBackSpareCodes();
    XSync(X(), False);
    trap_.Take();
}

FocusTarget Typist::Focus() {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(X(), &focus, &revert);
    // PointerRoot (1): no window manager and nobody has set the focus.
    if (focus == None || focus == PointerRoot)
        return FocusTarget::NoWindow;
    const bool own = BelongsToProcess(X(), focus, getpid(), host_);
    if (!trap_.Take().empty())
        return FocusTarget::OtherWindow; // it went away while we looked
    return own ? FocusTarget::OwnWindow : FocusTarget::OtherWindow;
}

void Typist::FollowChanges() {
    while (XPending(X())) {
        XEvent event;
        XNextEvent(X(), &event);
        if (event.type == MappingNotify) {
            map_.reset();
        } else if (event.type == xkbEvent_) {
            const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
            if (xkb.any.xkb_type == XkbNewKeyboardNotify || xkb.any.xkb_type == XkbMapNotify) {
                map_.reset();
            } else if (xkb.any.xkb_type == XkbStateNotify) {
                const int group = xkb.state.group;
                const unsigned locked = xkb.state.locked_mods;
                tableStale_ |= group != group_ || locked != lockedModifiers_;
                group_ = group;
                lockedModifiers_ = locked;
            }
        }
    }
}

bool Typist::LoadMap() {
    if (!map_) {
        map_.reset(XkbGetMap(X(), XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd));
        if (!map_)
            return false;
        // A new map (another layout) drops the codes we had bound.
        std::erase_if(bound_, [this](const auto& entry) {
            const KeyCode code = entry.first;
            return XkbKeyNumSyms(map_.get(), code) == 0 ||
                   XkbKeySymEntry(map_.get(), code, 0, 0) != entry.second.keysym;
        });
        tableStale_ = true;
    }
    if (tableStale_) {
        table_ = KeyTable(*map_, group_, lockedModifiers_);
        tableStale_ = false;
    }
    return true;
}

bool Typist::BeginLine() {
    ++line_;
    released_.clear();
    untypeable_.clear();
    refusal_.clear();
    FollowChanges();
    if (!LoadMap()) {
        refusal_ = "cannot read the keyboard map";
        return false;
    }
    // Modifier keys held down would turn the text into shifted characters or
    // shortcuts: release them for the line.
    char keys[32];
    XQueryKeymap(X(), keys);
    for (int code = map_->min_key_code; code <= map_->max_key_code; ++code) {
        const bool down = static_cast<unsigned char>(keys[code / 8]) & (1u << (code % 8));
        if (down && map_->map->modmap[code] != 0 && !IsLockKey(*map_, code)) {
            XTestFakeKeyEvent(X(), code, False, CurrentTime);
            released_.push_back(static_cast<KeyCode>(code));
        }
    }
    XkbStateRec state;
    if (XkbGetState(X(), XkbUseCoreKbd, &state) != Success) {
        refusal_ = "cannot read the keyboard state";
        return false;
    }
    const int group = state.group;
    const unsigned locked = state.locked_mods;
    tableStale_ |= group != group_ || locked != lockedModifiers_;
    group_ = group;
    lockedModifiers_ = locked;
    if (state.base_mods != 0) {
        refusal_ = "modifier keys are held down on a keyboard (" + ModifierNames(state.base_mods) + ")";
        return false;
    }
    return LoadMap();
}

bool Typist::Type(char32_t character) {
    FollowChanges();
    const KeyStroke* stroke = LoadMap() ? table_.Find(character) : nullptr;
    if (!stroke && map_)
        stroke = BindSpareCode(character);
    if (!stroke) {
        untypeable_ += character;
        return false;
    }
    for (int i = 0; i < stroke->modifierCount; ++i)
        XTestFakeKeyEvent(X(), stroke->modifiers[i], True, CurrentTime);
    XTestFakeKeyEvent(X(), stroke->code, True, CurrentTime);
    XTestFakeKeyEvent(X(), stroke->code, False, CurrentTime);
    for (int i = stroke->modifierCount - 1; i >= 0; --i)
        XTestFakeKeyEvent(X(), stroke->modifiers[i], False, CurrentTime);
    XFlush(X());
    if (const auto it = bound_.find(stroke->code); it != bound_.end())
        it->second.lastLine = line_;
    return true;
}

const KeyStroke* Typist::BindSpareCode(char32_t character) {
    const KeySym keysym = KeysymOfCharacter(character);
    if (keysym == NoSymbol)
        return nullptr;
    KeyCode code = 0;
    if (!table_.SpareCodes().empty()) {
        code = table_.SpareCodes().front();
    } else {
        // Take over the code bound longest ago, never one this line used:
        // its key may not have been looked up yet.
        const auto oldest = std::min_element(bound_.begin(), bound_.end(), [](const auto& a, const auto& b) {
            return a.second.lastLine < b.second.lastLine;
        });
        if (oldest == bound_.end() || oldest->second.lastLine == line_)
            return nullptr;
        code = oldest->first;
    }
    // Both levels, so that neither Shift nor Caps Lock changes it.
    KeySym symbols[2] = {keysym, keysym};
    XChangeKeyboardMapping(X(), code, 2, symbols, 1);
    bound_[code] = {keysym, line_};
    table_.Bind(character, code);
    return table_.Find(character);
}

std::string Typist::LineDone() {
    for (const KeyCode code : released_)
        XTestFakeKeyEvent(X(), code, True, CurrentTime);
    released_.clear();
    XSync(X(), False);
    std::string problem = refusal_;
    if (!untypeable_.empty())
        Append(problem, "cannot type " + vantix::CodePointList(untypeable_) +
                            " (not in the keyboard layout and no spare key code to bind)");
    Append(problem, trap_.Take());
    return problem;
}

bool Typist::Click(int x, int y) {
    XTestFakeMotionEvent(X(), -1, x, y, CurrentTime);
    XTestFakeButtonEvent(X(), 1, True, CurrentTime);
    XTestFakeButtonEvent(X(), 1, False, CurrentTime);
    XSync(X(), False);
    return trap_.Take().empty();
}

void Typist::GiveBackSpareCodes() {
    FollowChanges();
    if (!LoadMap())
        return;
    KeySym none = NoSymbol;
    for (const auto& [code, binding] : bound_)
        XChangeKeyboardMapping(X(), code, 1, &none, 1);
    bound_.clear();
}

} // namespace FTDI::x11
