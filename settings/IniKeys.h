#pragma once
#include <climits>

// Every key of Vantix.ini with its default, in one place. Read and write
// them through Configuration ("Password" through its cache); never spell a
// key anywhere else.
namespace vantix::ini {

inline constexpr char kSettings[] = "Settings";
inline constexpr char kDialogImportRegs[] = "DialogImportRegs";

// A value outside [min, max] is taken as the nearest bound when it is read:
// a hand-edited file must not stop the program (BeepPause=2147483647 would
// stop all reading for good) or send the pointer off the screen.
struct IntKey {
    const char* section;
    const char* name;
    int defaultValue;
    int min = INT_MIN;
    int max = INT_MAX;
    int Clamp(int value) const { return value < min ? min : value > max ? max : value; }
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
inline constexpr IntKey Delay{kSettings, "Delay", 1, 0, 500};
// Milliseconds between beeps; read only.
inline constexpr IntKey BeepPause{kSettings, "BeepPause", 100, 0, 1000};
// Click positions before (SX, SY) and after (EX, EY) the typed data. Their
// default is half the screen's width and height, which only the caller
// knows: pass it instead of defaultValue.
// Screen coordinates are 16-bit on X11 and Windows alike.
inline constexpr IntKey SX{kSettings, "SX", 0, -32768, 32767};
inline constexpr IntKey SY{kSettings, "SY", 0, -32768, 32767};
inline constexpr IntKey EX{kSettings, "EX", 0, -32768, 32767};
inline constexpr IntKey EY{kSettings, "EY", 0, -32768, 32767};
// Click before / after the data on or off.
inline constexpr IntKey M1{kSettings, "M1", 0};
inline constexpr IntKey M2{kSettings, "M2", 0};
// Pane heights in pixels.
inline constexpr IntKey DeviceSplitSize{kSettings, "DeviceSplitSize", 100, 0, 8192};
inline constexpr IntKey RegSplitSize{kSettings, "RegSplitSize", 200, 0, 8192};
// Ask for the type of unrecognised readers; 0 or 1.
inline constexpr IntKey DevCheck{kSettings, "DevCheck", 0};
// Interface language name.
inline constexpr TextKey Language{kSettings, "Language", "English"};
// CRC-32 of the password as signed decimal; 0 stops start-up. Goes through
// the configuration's cache, never straight to the file.
inline constexpr IntKey Password{kSettings, "Password", 0};
// How the stored procedure is called: "exec" (SQL Server) or "call"
// (PostgreSQL, MariaDB: CALL spVantixReg(...)).
inline constexpr TextKey CallSyntax{kSettings, "CallSyntax", "exec"};
// Last imported registration file.
inline constexpr TextKey FilePath{kDialogImportRegs, "FilePath", ""};

} // namespace vantix::ini
