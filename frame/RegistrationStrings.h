#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

namespace vantix {

// String-table ids of the registration file, the database link and the import.
enum StorageStringId : int {
    kStrCannotConnect = 147,       // "Unable to connect to database."
    kStrCannotExecute = 148,       // "Unable to execute spVantixReg. Disconnecting."
    kStrUsingDatabase = 149,
    kStrNotUsingDatabase = 150,
    kStrProgressCaption = 152,     // "Progress"
    kStrImportingCaption = 153,    // "Importing registrations"
    kStrImportedCount = 154,       // "Imported %d of %d registrations."

    kStrRegFileOpenFailed = 5000,
    kStrRegFileWriteFailed = 5001,
    kStrFileOpenFailed = 5002,
    kStrImportConnectFailed = 5003,
    kStrImportBeginFailed = 5004,
    kStrImportCommitFailed = 5005,
    kStrImportRollbackFailed = 5006,
    kStrImportFileReadFailed = 5007,
    kStrRegFileWaiting = 5008,      // "%s; %s registrations wait to be written."
    kStrRegFileWrittenAgain = 5009,
    kStrRegFileLost = 5010,
    kStrImportLongLines = 5011,

    kStrDatabaseTitle = 5020,
    kStrUseDatabase = 5021,
    kStrConnectionStringLabel = 5022,
    kStrBuild = 5023,
    kStrBuilderTitle = 5024,
    kStrDrivers = 5025,
    kStrDataSources = 5026,
    kStrKey = 5027,
    kStrValue = 5028,
    kStrAddPair = 5029,
    kStrRemovePair = 5030,
    kStrTestConnection = 5031,
    kStrConnectionOk = 5032,
    kStrConnectionFailed = 5033,
    kStrUseDriver = 5034,
    kStrUseDataSource = 5035,

    kStrImportTitle = 5040,
    kStrTextFile = 5041,
    kStrFrom = 5042,
    kStrTo = 5043,
    kStrBrowse = 5044,
    kStrRegFileFilter = 5045,
    kStrCancel = 5046,
    kStrProgressStatus = 5047,     // "%d / %d"
    kStrProgressOfTotal = 5048,    // "%d / %d of %d"
};

// Fills a string-table text: each %s or %d takes the next argument in turn,
// %% is a percent sign. Never reads past the arguments it was given, whatever
// a translated text holds.
std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args);

inline std::string FormatString(std::string_view format, std::string_view a) { return FormatText(format, {a}); }
inline std::string FormatString(std::string_view format, std::string_view a, std::string_view b) {
    return FormatText(format, {a, b});
}

} // namespace vantix
