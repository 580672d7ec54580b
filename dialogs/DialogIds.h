#pragma once
#include <array>

// Control ids of the reader dialogs: the object names of their widgets, so
// language resources, tests and the templates speak of the same controls.
// Their texts are string ids of core/Ids.h.
namespace vantix::ids {

// Controls shared by the reader dialogs.
constexpr int kSerialBox = 1001;
constexpr int kNameBox = 1002;
constexpr int kIdList = 1003;
constexpr int kEcList = 1004;
constexpr int kBeepList = 1014;
constexpr int kDatabaseSwitch = 1010;
constexpr int kKeyboardSwitch = 1011;
// PF1..PF4, SF1..SF4 lists.
constexpr std::array<int, 8> kItemLists{1034, 1036, 1037, 1038, 1040, 1041, 1042, 1043};
// PF1..PF4, SF1..SF4 switches of the one-switch dialogs.
constexpr std::array<int, 8> kItemSwitches{1021, 1039, 1044, 1045, 1046, 1047, 1048, 1049};

// Proximity dialog.
constexpr std::array<int, 8> kProximityBoxes{1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091};
constexpr int kMediaIdBox = 1093;
constexpr int kFirstFormatRadio = 1015; // "8", "12", "14", "16": 1015..1018
constexpr int kFirstSentPart = 1129;    // bold example fragments 1129..1132
constexpr int kClickBeforeSwitch = 1137;
constexpr int kClickAfterSwitch = 1138;
constexpr int kChangeBefore = 1139;
constexpr int kChangeAfter = 1140;
constexpr int kDefaultButton = 1145;

// One-track magnetic dialog.
constexpr std::array<int, 8> kOneTrackBoxes{1114, 1093, 1094, 1095, 1096, 1097, 1098, 1099};
constexpr int kTrackBox = 1100;
constexpr int kSentinelSwitch = 1027;

// Two-track magnetic dialog.
constexpr std::array<int, 8> kTrack1Switches{1022, 1053, 1054, 1055, 1033, 1056, 1057, 1058};
constexpr std::array<int, 8> kTrack2Switches{1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066};
constexpr std::array<int, 8> kTrack1Boxes{1117, 1108, 1109, 1110, 1111, 1112, 1113, 1115};
constexpr std::array<int, 8> kTrack2Boxes{1118, 1114, 1119, 1120, 1121, 1122, 1123, 1124};
constexpr int kTrack1Box = 1116;
constexpr int kTrack2Box = 1125;
constexpr int kSentinel1Switch = 1027;
constexpr int kSentinel2Switch = 1032;
constexpr int kOnlyTrackRadio = 1050;
constexpr int kBothTracksRadio = 1051;
constexpr int kChosenTrackList = 1052;
constexpr int kTk1Captions[2] = {1080, 1081};
constexpr int kTk2Captions[2] = {1082, 1083};
constexpr int kTrack1CaptionsFirst = 1092; // PF1..SF4 captions of row "TRACK 1": 1092..1099
constexpr int kTrack2CaptionsFirst = 1100; // row "TRACK 2": 1100..1107
constexpr int kTrack1RowCaption = 1126;
constexpr int kTrack2RowCaption = 1127;

// Small dialogs.
constexpr int kMouseX = 1140;
constexpr int kMouseY = 1141;
constexpr int kMouseLive = 1143;
constexpr int kCaptureButton = 1144;
constexpr int kDelayBox = 1108;
constexpr int kUnknownList = 1133;
constexpr int kUnknownMessage = 1134;

} // namespace vantix::ids
