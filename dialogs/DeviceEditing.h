#pragma once
#include <QString>
#include <functional>

#include "dialogs/Prompter.h"
#include "ftdi/OutputSettings.h"
#include "ftdi/UserArea.h"

class QWidget;

namespace vantix {

// Writes a user area to its reader; throws FTDI::Exception on failure.
using UserAreaWriter = std::function<void(const FTDI::UserArea&)>;

// The whole edit of one reader, for the frame's edit command (after the
// password gate and the device lookup): opens the dialog of the device's type
// (string 163 in an error box for a type without one), builds the new user
// area on OK and hands it to `write` under the wait cursor. A thrown
// FTDI::Exception shows its text in an error box. The dialog's mouse-click
// values reach `clicks` only after a successful write. True when written.
bool EditUserArea(QWidget* parent, const QString& serialNumber, const FTDI::DevData& device,
                  FTDI::OutputSettings& clicks, const UserAreaWriter& write,
                  Prompter& prompter = DefaultPrompter());

// The unknown-device question, on the user-interface thread: `deviceText` is
// "serial (description)". Returns the chosen device type, -1 for "Don't work
// with that device", Escape or the close box.
int AskUnknownDevice(QWidget* parent, const QString& deviceText);

// The Options menu's "Intercharacter Delay": true when a new delay was stored
// into `settings.intercharacterDelay`.
bool EditDelay(QWidget* parent, FTDI::OutputSettings& settings, Prompter& prompter = DefaultPrompter());

} // namespace vantix
