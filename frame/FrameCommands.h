#pragma once

// Command ids of the main window's menus; each is also the string id of its
// menu text.
namespace vantix::cmd {

inline constexpr int kRestore = 32771;
inline constexpr int kEditDevice = 32772;
inline constexpr int kDatabase = 32773;
inline constexpr int kLanguage = 32774;
inline constexpr int kImportRegistrations = 32775;
inline constexpr int kHelpContents = 32777;
inline constexpr int kDelay = 32783;
inline constexpr int kRunAtStartup = 32784;
inline constexpr int kDeviceCheck = 32785;
inline constexpr int kPassword = 32786;
inline constexpr int kUnlock = 32787;
inline constexpr int kLock = 32788;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;

} // namespace vantix::cmd

// String ids of the frame's texts (frame/strings_frame.inc).
namespace vantix::frame_str {

inline constexpr int kTitle = 57344;
inline constexpr int kStillActive = 129;
inline constexpr int kConnected = 136;
inline constexpr int kDisconnected = 137;
inline constexpr int kCommError = 158;
inline constexpr int kRepairFinished = 159;
inline constexpr int kLoadingDevices = 160;
inline constexpr int kLoadingFinished = 161;
inline constexpr int kDriverTooOld = 162;
inline constexpr int kFileMenu = 2001;
inline constexpr int kEditMenu = 2002;
inline constexpr int kOptionsMenu = 2003;
inline constexpr int kHelpMenu = 2004;
inline constexpr int kNoBackend = 2100;
inline constexpr int kNoKeyboardOutput = 2101;
inline constexpr int kDeviceFault = 2102;
inline constexpr int kNotTypedOwnWindow = 2110;
inline constexpr int kNotTypedInFull = 2111;
inline constexpr int kWaylandSession = 2112;

} // namespace vantix::frame_str
