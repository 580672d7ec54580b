#pragma once

// The one registry of command and string ids. The numbers are the contract
// with the language modules (lang/): never change or reuse one. Every id
// here has its English text in core/English.cpp; a module may lack any of
// them (the English text is shown then).
//
// To add a text: pick a free number in the block of its area, add
// X(Name, number) to the list below, its English text to core/English.cpp,
// and use it as str::kName. The test core_ids_test checks both lists.

// Commands of the menus. Each id is also the string id of the item's text.
#define VANTIX_COMMAND_IDS(X)        \
    X(Restore, 32771)                \
    X(EditDevice, 32772)             \
    X(Database, 32773)               \
    X(Language, 32774)               \
    X(ImportRegistrations, 32775)    \
    X(HelpContents, 32777)           \
    X(DeviceMenuEdit, 32780)         \
    X(DeviceMenuBuzz, 32781)         \
    X(Delay, 32783)                  \
    X(RunAtStartup, 32784)           \
    X(DeviceCheck, 32785)            \
    X(Password, 32786)               \
    X(Unlock, 32787)                 \
    X(Lock, 32788)                   \
    X(About, 57664)                  \
    X(Exit, 57665)

// The application shell: start-up, the password, languages, run at start-up.
#define VANTIX_SHELL_STRING_IDS(X)   \
    X(DocumentTemplate, 128)         \
    X(RestartEnglish, 151)           \
    X(RestartOther, 165)             \
    X(BadPassword, 171)              \
    X(BadNewPassword, 172)           \
    X(BadConfiguration, 1000)        \
    X(AboutTitle, 1001)              \
    X(ProgramName, 1002)             \
    X(Ok, 1003)                      \
    X(Cancel, 1004)                  \
    X(PasswordTitle, 1005)           \
    X(NewPassword, 1006)             \
    X(OldPassword, 1007)             \
    X(ConfirmPassword, 1008)         \
    X(LanguageTitle, 1009)           \
    X(StartupTitle, 1010)            \
    X(StartupAllUsers, 1011)         \
    X(StartupCurrentUser, 1012)      \
    X(StartupNever, 1013)            \
    X(StartupFailed, 1014)           \
    X(PasswordNotStored, 1015)       \
    X(Version, 1016)                 \
    X(SettingsNotSaved, 1017)        \
    X(FilesAt, 1018)                 \
    X(SettingsWritableByOthers, 1019)

// The main window: its menus, popups and event-log messages.
#define VANTIX_FRAME_STRING_IDS(X)   \
    X(StillActive, 129)              \
    X(Connected, 136)                \
    X(Disconnected, 137)             \
    X(CommError, 158)                \
    X(RepairFinished, 159)           \
    X(LoadingDevices, 160)           \
    X(LoadingFinished, 161)          \
    X(DriverTooOld, 162)             \
    X(FileMenu, 2001)                \
    X(EditMenu, 2002)                \
    X(OptionsMenu, 2003)             \
    X(HelpMenu, 2004)                \
    X(NoBackend, 2100)               \
    X(NoKeyboardOutput, 2101)        \
    X(DeviceFault, 2102)             \
    X(NoUsbAccess, 2103)             \
    X(NotTypedOwnWindow, 2110)       \
    X(NotTypedInFull, 2111)          \
    X(WaylandSession, 2112)          \
    X(FrameTitle, 57344)

// The panes, the tray icon and the notifier.
#define VANTIX_VIEW_STRING_IDS(X)    \
    X(SerialColumn, 130)             \
    X(NameColumn, 131)               \
    X(IdColumn, 132)                 \
    X(EventColumn, 133)              \
    X(MediaIdColumn, 134)            \
    X(DateTimeColumn, 135)           \
    X(DatabaseColumn, 141)           \
    X(KeyboardColumn, 142)           \
    X(BeepColumn, 143)               \
    X(Yes, 144)                      \
    X(No, 145)                       \
    X(MessageColumn, 146)            \
    X(DescriptionColumn, 156)        \
    X(DeviceMenu, 4000)              \
    X(NoTrayHost, 4001)              \
    X(TrayAbout, 4002)               \
    X(TrayExit, 4003)

// The registration file, the database link and the import.
#define VANTIX_STORAGE_STRING_IDS(X) \
    X(CannotConnect, 147)            \
    X(CannotExecute, 148)            \
    X(UsingDatabase, 149)            \
    X(NotUsingDatabase, 150)         \
    X(ProgressCaption, 152)          \
    X(ImportingCaption, 153)         \
    X(ImportedCount, 154)            \
    X(RegFileOpenFailed, 5000)       \
    X(RegFileWriteFailed, 5001)      \
    X(FileOpenFailed, 5002)          \
    X(ImportConnectFailed, 5003)     \
    X(ImportBeginFailed, 5004)       \
    X(ImportCommitFailed, 5005)      \
    X(ImportRollbackFailed, 5006)    \
    X(ImportFileReadFailed, 5007)    \
    X(RegFileWaiting, 5008)          \
    X(RegFileWrittenAgain, 5009)     \
    X(RegFileLost, 5010)             \
    X(ImportLongLines, 5011)         \
    X(DatabaseTitle, 5020)           \
    X(UseDatabase, 5021)             \
    X(ConnectionStringLabel, 5022)   \
    X(Build, 5023)                   \
    X(BuilderTitle, 5024)            \
    X(Drivers, 5025)                 \
    X(DataSources, 5026)             \
    X(Key, 5027)                     \
    X(Value, 5028)                   \
    X(AddPair, 5029)                 \
    X(RemovePair, 5030)              \
    X(TestConnection, 5031)          \
    X(ConnectionOk, 5032)            \
    X(ConnectionFailed, 5033)        \
    X(UseDriver, 5034)               \
    X(UseDataSource, 5035)           \
    X(ImportTitle, 5040)             \
    X(TextFile, 5041)                \
    X(From, 5042)                    \
    X(To, 5043)                      \
    X(Browse, 5044)                  \
    X(RegFileFilter, 5045)           \
    X(ProgressCancel, 5046)          \
    X(ProgressStatus, 5047)          \
    X(ProgressOfTotal, 5048)

// The reader dialogs and the small dialogs. The positions, items and
// unknown-device options are consecutive: code adds an index to the first.
#define VANTIX_DIALOG_STRING_IDS(X)  \
    X(CharacterNotAllowed, 157)      \
    X(UnsupportedType, 163)          \
    X(DataText, 164)                 \
    X(UnknownDeviceText, 166)        \
    X(ClickBeforeCaption, 168)       \
    X(ClickAfterCaption, 169)        \
    X(DefaultQuestion, 170)          \
    X(DeviceCaption, 3000)           \
    X(EditDeviceCaption, 3001)       \
    X(PropertiesText, 3002)          \
    X(SerialNumberText, 3003)        \
    X(UbText, 3004)                  \
    X(UbNumbersText, 3005)           \
    X(NameText, 3006)                \
    X(BeepText, 3007)                \
    X(IdText, 3008)                  \
    X(EcText, 3009)                  \
    X(DataFormatText, 3010)          \
    X(MediaIdExampleText, 3011)      \
    X(PrefixesText, 3012)            \
    X(SuffixesText, 3013)            \
    X(MediaIdText, 3014)             \
    X(MouseClickText, 3015)          \
    X(ChangeText, 3016)              \
    X(SendToKbText, 3017)            \
    X(StoreToDbText, 3018)           \
    X(DefaultText, 3019)             \
    X(OkText, 3020)                  \
    X(CancelText, 3021)              \
    X(TrackText, 3022)               \
    X(TransmitSentinelText, 3023)    \
    X(OnlyTrackText, 3024)           \
    X(TracksDataText, 3025)          \
    X(BothTracksText, 3026)          \
    X(Track1SentinelText, 3027)      \
    X(Track2SentinelText, 3028)      \
    X(Tk1Text, 3029)                 \
    X(Tk2Text, 3030)                 \
    X(Track1Text, 3031)              \
    X(Track2Text, 3032)              \
    X(ClickBeforeTemplate, 3033)     \
    X(ClickAfterTemplate, 3034)      \
    X(PositionPF1, 3040)             \
    X(PositionPF2, 3041)             \
    X(PositionPF3, 3042)             \
    X(PositionPF4, 3043)             \
    X(PositionSF1, 3044)             \
    X(PositionSF2, 3045)             \
    X(PositionSF3, 3046)             \
    X(PositionSF4, 3047)             \
    X(ItemUB1, 3050)                 \
    X(ItemUB2, 3051)                 \
    X(ItemUB3, 3052)                 \
    X(ItemUB4, 3053)                 \
    X(ItemUB5, 3054)                 \
    X(ItemUB6, 3055)                 \
    X(ItemSpace, 3056)               \
    X(ItemComma, 3057)               \
    X(ItemId, 3058)                  \
    X(ItemEc, 3059)                  \
    X(ItemTimestamp, 3060)           \
    X(ItemNewLine, 3061)             \
    X(ItemNotUsed, 3062)             \
    X(MouseCaption, 3070)            \
    X(MouseHelpText, 3071)           \
    X(CurrentCoordinatesText, 3072)  \
    X(XText, 3073)                   \
    X(YText, 3074)                   \
    X(CaptureText, 3075)             \
    X(LiveTemplate, 3076)            \
    X(DelayCaption, 3080)            \
    X(DelayHelpText, 3081)           \
    X(DelayText, 3082)               \
    X(RangeMessage, 3083)            \
    X(IntegerMessage, 3084)          \
    X(PositiveIntegerMessage, 3085)  \
    X(UnknownCaption, 3090)          \
    X(SelectOptionText, 3091)        \
    X(UnknownIgnore, 3092)           \
    X(UnknownProximity, 3093)        \
    X(UnknownTrack1, 3094)           \
    X(UnknownTrack2, 3095)           \
    X(UnknownTwoTracks, 3096)

#define VANTIX_STRING_IDS(X)   \
    VANTIX_SHELL_STRING_IDS(X)   \
    VANTIX_FRAME_STRING_IDS(X)   \
    VANTIX_VIEW_STRING_IDS(X)    \
    VANTIX_STORAGE_STRING_IDS(X) \
    VANTIX_DIALOG_STRING_IDS(X)

#define VANTIX_DEFINE_ID(name, value) inline constexpr int k##name = value;
namespace vantix::cmd {
VANTIX_COMMAND_IDS(VANTIX_DEFINE_ID)
} // namespace vantix::cmd
namespace vantix::str {
VANTIX_STRING_IDS(VANTIX_DEFINE_ID)
} // namespace vantix::str
#undef VANTIX_DEFINE_ID

namespace vantix {

// Every id of the registry with its name, for the checks of the tests.
struct RegisteredId {
    const char* name;
    int id;
};
#define VANTIX_LIST_ID(name, value) RegisteredId{#name, value},
inline constexpr RegisteredId kCommandIds[] = {VANTIX_COMMAND_IDS(VANTIX_LIST_ID)};
inline constexpr RegisteredId kStringIds[] = {VANTIX_STRING_IDS(VANTIX_LIST_ID)};
#undef VANTIX_LIST_ID

} // namespace vantix
