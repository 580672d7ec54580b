#include <gtest/gtest.h>

#include "core/Hex.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_Edit1Track.h"
#include "dialogs/CD_Edit2Tracks.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace vantix {
namespace {

// A stored image, a device type and the dialog that edits it: opening the
// dialog and pressing OK without an edit must give back the same bytes.
struct StoredArea {
    const char* name;
    int type;
    std::uint8_t bytes[16];
};

const StoredArea kAreas[] = {
    {"proximity 16 digits", 0, {0x6E, 1, 1, 'A', 'B', 'C', ' ', ' ', ' ', 0x00, 0x00, 0x0F, 0xB0, 0x00, 0x0E, 0xFF}},
    {"proximity 8 digits, database", 0, {0x13, 0xFF, 0x0A, 'Z', 'z', '1', '-', '_', '|', 0x01, 0x23, 0x05, 0x89, 0xAB, 0x0A, 0xFF}},
    {"track 1", 1, {0x26, 7, 8, 'T', 'R', 'K', '1', ' ', ' ', 0x67, 0x89, 0x03, 0xB0, 0x00, 0x0E, 0xFF}},
    {"track 2, sentinel sent", 2, {0x72, 0, 0, ' ', ' ', ' ', ' ', ' ', ' ', 0x45, 0x6C, 0x0C, 0xBC, 0xCC, 0x01, 0xFF}},
    {"two tracks, both", 3, {0x8E, 9, 9, 'D', 'U', 'A', 'L', ' ', ' ', 0x12, 0x34, 0x5A, 0xB8, 0x9C, 0xC3, 0xFF}},
    {"two tracks, only track 2", 3, {0x0A, 9, 9, 'D', ' ', ' ', ' ', ' ', ' ', 0x12, 0x34, 0xF0, 0xB8, 0x9C, 0x0F, 0xFF}},
    {"two tracks, only track 1", 3, {0x06, 9, 9, 'D', ' ', ' ', ' ', ' ', ' ', 0x12, 0x34, 0x00, 0xB8, 0x9C, 0xFF, 0xFF}},
};

std::unique_ptr<DeviceDialog> DialogFor(int type, Prompter& prompter) {
    if (type == 0) return std::make_unique<CD_Edit>(nullptr, prompter);
    if (type == 3) return std::make_unique<CD_Edit2Tracks>(nullptr, prompter);
    return std::make_unique<CD_Edit1Track>(nullptr, prompter);
}

TEST(DialogRoundTrip, UneditedRecordComesBackUnchanged) {
    for (const StoredArea& stored : kAreas) {
        SCOPED_TRACE(stored.name);
        FTDI::UserArea area;
        std::copy(stored.bytes, stored.bytes + 16, area.bytes);
        area.Decode(stored.type);
        test::RecordingPrompter prompter;
        auto dialog = DialogFor(stored.type, prompter);
        dialog->FillFrom(area, "RT");
        dialog->show();
        dialog->accept();
        const FTDI::UserArea built = dialog->BuildUserArea();
        EXPECT_EQ(vantix::ToHex(built.bytes, 16), vantix::ToHex(stored.bytes, 16));
        EXPECT_EQ(built.deviceType, stored.type);
        EXPECT_TRUE(prompter.informed.isEmpty());
    }
}

} // namespace
} // namespace vantix
