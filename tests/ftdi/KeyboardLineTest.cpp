#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <tuple>

#include "ftdi/KeyboardLine.h"
#include "ftdi/TextSender.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"

using namespace FTDI;

namespace {

UserArea Proximity(const std::string& name, std::uint8_t id, int format, std::array<std::uint8_t, 4> pf,
                   std::uint8_t pmask, std::array<std::uint8_t, 4> sf, std::uint8_t smask) {
    return UserArea(name, id, 0x5C, 7, format, 1, 0, -1, -1, -1, pf[0], pf[1], pf[2], pf[3], pmask, sf[0],
                    sf[1], sf[2], sf[3], smask, DeviceTypeProximity);
}

struct Typing : ::testing::Test {
    Typing() {
        settings.intercharacterDelay = 0;
        sender.SetProblemReporter([this](const TypingProblem& p) { problems.push_back(p); });
    }
    OutputSettings settings;
    RecordingKeyboardOutput keys;
    TextSender sender{keys, settings};
    std::vector<TypingProblem> problems;
};

} // namespace

// Id, space, media ID, Enter; then eight-bit name bytes as Latin-1 characters.
TEST_F(Typing, PrefixIdentifierAndSuffixMakeOneLine) {
    sender.TypeIdentifier(Proximity("", 0x2A, 0, {KeyId, KeySpace, KeyEc, KeyEc}, 0x0C,
                                    {KeyNewLine, KeyId, KeyId, KeyId}, 0x0E), "F400000249541F01");
    EXPECT_EQ(keys.Lines(), std::vector<std::u32string>{U"2A 0249541F\n"});
    sender.TypeIdentifier(Proximity("\xE9t\xE9", 0, 3, {KeyUB1, 1, 2, KeyNotUsed}, 0, {}, 0x0F), "F400000249541F01");
    EXPECT_EQ(keys.Typed(), U"2A 0249541F\n\u00E9t\u00E9F400000249541F01");
}

TEST(KeyboardLine, EachKeyCodeTypesItsItem) {
    const UserArea ua = Proximity("ABCDEF", 0x2A, 0, {}, 0, {}, 0);
    const std::pair<std::uint8_t, std::string> items[] = {
        {KeyUB1, "A"}, {KeyUB6, "F"}, {KeySpace, " "}, {KeyComma, ","}, {KeyId, "2A"},
        {KeyEc, "5C"}, {KeyNewLine, "\n"}, {KeyNotUsed, ""}, {13, ""}, {15, ""}};
    for (const auto& [code, text] : items)
        EXPECT_EQ(KeyText(code, ua), text) << int(code);
}

TEST(KeyboardLine, MaskedItemsAndLettersBeyondTheNameContributeNothing) {
    const UserArea ua = Proximity("AB", 0x01, 0, {KeyNotUsed, KeyComma, KeyUB1, KeyUB6}, 0x02,
                                  {KeyEc, KeyNotUsed, 13, 15}, 0x00);
    EXPECT_EQ(BuildLine(ua, "DATA"), "ADATA5C"); // PF2 masked, PF4 = UB6 beyond the two-letter name
}

TEST(KeyboardLine, Track2RecordsOfTwoTrackReadersUseTheHighMaskBits) {
    UserArea ua("N", 0x10, 0x20, 7, -1, 1, 0, 1, 0, 0, KeyId, KeyComma, KeyNotUsed, KeyNotUsed, 0x2C,
                KeySpace, KeyEc, KeyNotUsed, KeyNotUsed, 0x10, DeviceTypeTwoTracks);
    ua.Decode(DeviceTypeTwoTracks);
    EXPECT_EQ(BuildLine(ua, "T1", false), "10,T1 20");
    EXPECT_EQ(BuildLine(ua, "T2", true), "10T220"); // bit 5 masks PF2, bit 4 SF1
}

TEST(KeyboardLine, TimestampReadsTheClockWhenMade) {
    const std::time_t before = std::time(nullptr);
    const std::string text = KeyText(KeyTimestamp, Proximity("", 0, 0, {}, 0, {}, 0));
    std::tm tm{};
    std::istringstream in(text);
    ASSERT_FALSE((in >> std::get_time(&tm, "%Y.%m.%d %H:%M:%S")).fail()) << text;
    tm.tm_isdst = -1;
    EXPECT_EQ(text.size(), 19u);
    EXPECT_GE(std::mktime(&tm), before) << text;
    EXPECT_LE(std::mktime(&tm), std::time(nullptr)) << text;
}

TEST_F(Typing, MagneticRecordsAreFramedAndOnlySentToTheKeyboardWhenAsked) {
    UserArea ua("", 0x33, 0, 7, -1, 1, 0, -1, 1, -1, KeyId, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeTrack1);
    ua.Decode(DeviceTypeTrack1);
    sender.ProcessMagneticRecord(ua, "\x01%B1234^NAME\x03");
    ua.omitSentinel = 0;
    sender.ProcessMagneticRecord(ua, "\x01%B1234^NAME\x03");
    sender.ProcessMagneticRecord(ua, "\x01%no end");
    ua.sendToKeyboard = 0;
    sender.ProcessMagneticRecord(ua, "\x01%B1\x03");
    EXPECT_EQ(keys.Typed(), U"33B1234^NAME\n33%B1234^NAME\n");
}

TEST_F(Typing, ClicksComeBeforeAndAfterAndHappenWithoutAFocusedWindow) {
    settings.clickBefore = settings.clickAfter = 1;
    std::tie(settings.clickBeforeX, settings.clickBeforeY, settings.clickAfterX, settings.clickAfterY) =
        std::tuple(10, 20, 30, 40);
    sender.TypeText("ab");
    keys.SetFocus(FocusTarget::NoWindow); // the clicks only
    sender.TypeText("cd");
    std::string seen;
    for (const auto& a : keys.Actions())
        seen += a.click ? std::to_string(a.at.x) + "," + std::to_string(a.at.y) + " " : std::string(1, char(a.character)) + " ";
    EXPECT_EQ(seen, "10,20 a b 30,40 10,20 30,40 ");
    EXPECT_GE(keys.Actions().at(1).when - keys.Actions()[0].when, std::chrono::milliseconds(10));
}

TEST_F(Typing, EachCharacterIsFollowedByTheDelay) {
    settings.intercharacterDelay = 1;
    const auto start = std::chrono::steady_clock::now();
    sender.SendText("123456789012");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(12));
    EXPECT_EQ(keys.Typed(), U"123456789012");
}

TEST_F(Typing, ProblemsAreReportedOncePerLineAndOncePerSpellOfTheOwnWindowHavingTheFocus) {
    keys.SetUntypeable(U"\u00E9");
    sender.TypeText("a\xE9" "b\xE9\n");
    EXPECT_EQ(keys.Typed(), U"ab\n");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, TypingProblem::Kind::LineIncomplete);
    EXPECT_EQ(problems[0].detail, "cannot type U+00E9, U+00E9");

    keys.SetFocus(FocusTarget::OwnWindow);
    sender.TypeText("one\n");
    sender.TypeText("two\n");
    keys.SetFocus(FocusTarget::NoWindow); // the spell ends, nothing typed either
    sender.TypeText("three\n");
    keys.SetFocus(FocusTarget::OwnWindow);
    sender.TypeText("four\n");
    EXPECT_EQ(keys.Typed(), U"ab\n");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[1].kind, TypingProblem::Kind::OwnWindowFocused);
    EXPECT_EQ(problems[2].kind, TypingProblem::Kind::OwnWindowFocused);
}
