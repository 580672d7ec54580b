#pragma once

// Every key of Vantix.ini with its default, in one place. Read and write
// them through Profile (or Settings for "Password"); never spell a key
// anywhere else.
namespace vantix::ini {

inline constexpr char kSettings[] = "Settings";
inline constexpr char kDialogImportRegs[] = "DialogImportRegs";

struct IntKey {
    const char* section;
    const char* name;
    int defaultValue;
};

struct TextKey {
    const char* section;
    const char* name;
    const char* defaultValue;
};

// Database use: any non-zero value switches it on; written as 0 or 1.
inline constexpr IntKey UseMRDB{kSettings, "UseMRDB", 0};
inline constexpr TextKey ConnStr{kSettings, "ConnStr", ""};
// Milliseconds between typed characters.
inline constexpr IntKey Delay{kSettings, "Delay", 1};
// Milliseconds between beeps; read only.
inline constexpr IntKey BeepPause{kSettings, "BeepPause", 100};
// Click positions before (SX, SY) and after (EX, EY) the typed data. Their
// default is half the screen's width and height, which only the caller
// knows: pass it instead of defaultValue.
inline constexpr IntKey SX{kSettings, "SX", 0};
inline constexpr IntKey SY{kSettings, "SY", 0};
inline constexpr IntKey EX{kSettings, "EX", 0};
inline constexpr IntKey EY{kSettings, "EY", 0};
// Click before / after the data on or off.
inline constexpr IntKey M1{kSettings, "M1", 0};
inline constexpr IntKey M2{kSettings, "M2", 0};
// Pane heights in pixels.
inline constexpr IntKey DeviceSplitSize{kSettings, "DeviceSplitSize", 100};
inline constexpr IntKey RegSplitSize{kSettings, "RegSplitSize", 200};
// Ask for the type of unrecognised readers; 0 or 1.
inline constexpr IntKey DevCheck{kSettings, "DevCheck", 0};
// Interface language name.
inline constexpr TextKey Language{kSettings, "Language", "English"};
// CRC-32 of the password as signed decimal; 0 stops start-up. Goes through
// Settings, never straight to the file.
inline constexpr IntKey Password{kSettings, "Password", 0};
// How the stored procedure is called: "exec" (SQL Server) or "call"
// (PostgreSQL, MariaDB: CALL spVantixReg(...)).
inline constexpr TextKey CallSyntax{kSettings, "CallSyntax", "exec"};
// Last imported registration file.
inline constexpr TextKey FilePath{kDialogImportRegs, "FilePath", ""};

} // namespace vantix::ini
