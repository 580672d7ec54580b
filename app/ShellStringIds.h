#pragma once

// String-table ids of the application shell's own texts (app/strings_app.inc).
namespace vantix::str {

inline constexpr int kRestartEnglish = 151;
inline constexpr int kRestartOther = 165;
inline constexpr int kBadConfiguration = 1000;
inline constexpr int kAboutTitle = 1001;
inline constexpr int kProgramName = 1002;
inline constexpr int kOk = 1003;
inline constexpr int kCancel = 1004;
inline constexpr int kPasswordTitle = 1005;
inline constexpr int kNewPassword = 1006;
inline constexpr int kOldPassword = 1007;
inline constexpr int kConfirmPassword = 1008;
inline constexpr int kLanguageTitle = 1009;
inline constexpr int kStartupTitle = 1010;
inline constexpr int kStartupAllUsers = 1011;
inline constexpr int kStartupCurrentUser = 1012;
inline constexpr int kStartupNever = 1013;
inline constexpr int kStartupFailed = 1014;
inline constexpr int kPasswordNotStored = 1015;
inline constexpr int kVersion = 1016;
inline constexpr int kSettingsNotSaved = 1017;
inline constexpr int kFilesAt = 1018;
inline constexpr int kSettingsWritableByOthers = 1019;

} // namespace vantix::str
