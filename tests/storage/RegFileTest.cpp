#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <thread>

#include "core/Text.h"
#include "storage/C_RegFile.h"
#include "storage/RegFileReader.h"
#include "tests/storage/SampleRegistration.h"
#include "tests/support/TempDir.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::SampleRegistration;
using vantix::test::TempDir;
using vantix::test::WriteFile;

namespace {

const std::string kHeaderLine = "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n";

// 2016-02-22 14:07 local time.
std::time_t Feb22_2016() {
    std::tm t{};
    t.tm_year = 2016 - 1900, t.tm_mon = 1, t.tm_mday = 22, t.tm_hour = 14, t.tm_min = 7, t.tm_isdst = -1;
    return std::mktime(&t);
}

std::vector<std::string> ReadLines(const std::string& path, std::size_t* overlong = nullptr) {
    RegFileReader reader;
    EXPECT_TRUE(reader.Open(path)) << reader.Error();
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.NextLine(line)) lines.emplace_back(line);
    if (overlong) *overlong = reader.Overlong();
    return lines;
}

} // namespace

TEST(RegFile, NamedAfterTheMonthInTheProgramDirectory) {
    EXPECT_EQ(C_RegFile::FileNameFor("/opt/vantix", Feb22_2016()), "/opt/vantix/Vantix-201602.vtxreg");
    EXPECT_EQ(C_RegFile::FileNameFor("/opt/vantix/", Feb22_2016()), "/opt/vantix/Vantix-201602.vtxreg");
}

TEST(RegFile, ANewOrEmptyFileGetsTheHeaderAndAFullOneDoesNot) {
    TempDir dir;
    const std::string path = dir.File("Vantix-201602.vtxreg");
    for (int round = 0; round < 2; ++round) {
        { C_RegFile file(dir.Path().string(), Feb22_2016()); EXPECT_TRUE(file.IsOpen()); }
        EXPECT_EQ(ReadFile(path), kHeaderLine) << "round " << round;
    }
    WriteFile(path, "");
    { C_RegFile file(dir.Path().string(), Feb22_2016()); }
    EXPECT_EQ(ReadFile(path), kHeaderLine);
}

TEST(RegFile, WritesSevenFieldsWithCrLfAndFlushesEachLineWhateverTheSerialNumber) {
    TempDir dir;
    C_RegFile file(dir.Path().string(), Feb22_2016());
    ASSERT_TRUE(file.WriteRegistration(SampleRegistration("0249541F", 1, 12)));
    // Read while the file is still open: the line must already be on disk.
    EXPECT_EQ(ReadFile(file.FileName()), kHeaderLine + "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n");
    ASSERT_TRUE(file.WriteRegistration(SampleRegistration("00000001", 0, 255)));
    EXPECT_EQ(ReadLines(file.FileName()).back(), "00000001,2016-02-22 14:07:00,2016-02-22,14:07:00,0,255,FT0001");
    // A hostile serial number cannot change the shape of the line.
    FTDI::MessageRegistration r = SampleRegistration();
    r.serialNumber = "A,B\r\n0000DEAD,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,X" + std::string(1, '\0');
    ASSERT_TRUE(file.WriteRegistration(r));
    const auto lines = ReadLines(file.FileName());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(std::count(lines[3].begin(), lines[3].end(), ','), 6);
    EXPECT_TRUE(lines[3].ends_with(",A_B__0000DEAD_2016-02-22 14:07:00_2016-02-22_14:07:00_1_12_X_")) << lines[3];
}

TEST(RegFile, LastLineWithoutLineEndIsEndedBeforeAppending) {
    TempDir dir;
    const std::string path = dir.File("Vantix-201602.vtxreg");
    WriteFile(path, kHeaderLine + "0249541F,2016-02-22 14:07:00,2016-02");
    C_RegFile file(dir.Path().string(), Feb22_2016());
    ASSERT_TRUE(file.WriteRegistration(SampleRegistration("0000ABCD", 3, 4)));
    EXPECT_EQ(ReadFile(path), kHeaderLine + "0249541F,2016-02-22 14:07:00,2016-02\r\n" +
                                  "0000ABCD,2016-02-22 14:07:00,2016-02-22,14:07:00,3,4,FT0001\r\n");
}

TEST(RegFile, UnopenableFileIsReportedAndRetriedAtTheNextRegistration) {
    // A directory where the file should be: unusable even for root.
    TempDir dir;
    const std::string path = dir.File("Vantix-201602.vtxreg");
    std::filesystem::create_directory(path);
    C_RegFile file(dir.Path().string(), Feb22_2016());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(file.LastError().find(path), std::string::npos) << file.LastError();

    EXPECT_FALSE(file.WriteRegistration(SampleRegistration("00000001", 1, 12)));
    EXPECT_NE(file.LastError().find("Vantix-201602.vtxreg"), std::string::npos);
    EXPECT_EQ(file.Backlog().size(), 1u) << "the line waits";

    std::filesystem::remove(path);
    ASSERT_TRUE(file.WriteRegistration(SampleRegistration("00000002", 1, 12)));
    EXPECT_TRUE(file.LastError().empty());
    EXPECT_TRUE(file.Backlog().empty());
    const auto lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 9), "00000001,") << "the waiting line first";
    EXPECT_EQ(lines[2].substr(0, 9), "00000002,");
}

TEST(RegFile, WriteFailureIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    std::filesystem::create_symlink("/dev/full", dir.File("Vantix-201602.vtxreg"));
    C_RegFile file(dir.Path().string(), Feb22_2016());
    EXPECT_FALSE(file.WriteRegistration(SampleRegistration("0249541F", 1, 12)));
    EXPECT_NE(file.LastError().find("Vantix-201602.vtxreg"), std::string::npos) << file.LastError();
}

TEST(RegFileReading, SplitsByPositionAndTestsTheDigitFields) {
    RegistrationFields f;
    ASSERT_TRUE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001", f));
    EXPECT_EQ((std::vector<std::string_view>{f.mediaId, f.dateTime, f.date, f.id, f.code}),
              (std::vector<std::string_view>{"0249541F", "2016-02-22 14:07:00", "2016-02-22", "1", "12"}));
    // Field 0 is not tested; fields are not trimmed; missing trailing fields are empty.
    ASSERT_TRUE(ParseRegistrationLine(" x y,2,3,,4,5", f));
    EXPECT_EQ(f.mediaId, " x y");
    ASSERT_TRUE(ParseRegistrationLine(",2,3,,4,5", f));

    EXPECT_FALSE(ParseRegistrationLine("MediaID,DateTime,Date,Time,ID,Code,Serial", f));
    EXPECT_FALSE(ParseRegistrationLine("", f));
    EXPECT_FALSE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,,12,FT0001", f))
        << "empty ID";
    EXPECT_FALSE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,X016-02-22,14:07:00,1,12", f)) << "date";
    EXPECT_FALSE(ParseRegistrationLine("0249541F, 2016-02-22 14:07:00,2016-02-22,14:07:00,1,12", f)) << "blank";
    EXPECT_FALSE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1", f)) << "no code";
}

TEST(RegFileReading, SelectionWindowIsInclusiveAndByteWise) {
    const TimeWindow window{FormatBound(2016, 2, 1, 0, 0, 0), FormatBound(2016, 2, 22, 14, 7, 0)};
    EXPECT_EQ(window.from, "2016-02-01 00:00:00");
    EXPECT_TRUE(window.Contains("2016-02-22 14:07:00"));
    EXPECT_TRUE(window.Contains("2016-02-01 00:00:00"));
    EXPECT_FALSE(window.Contains("2016-02-22 14:08:00"));
    EXPECT_FALSE(window.Contains("2016-01-31 23:59:00"));
    // The first and last value of every field is a bound; one past it is not.
    for (const char* good : {"2016-01-01 00:00:00", "2016-12-31 23:59:59"})
        EXPECT_TRUE(IsValidBound(good)) << good;
    for (const char* bad : {"2016-00-22 12:00:00", "2016-13-22 12:00:00", "2016-02-00 12:00:00",
                            "2016-02-32 12:00:00", "2016-02-22 24:00:00", "2016-02-22 12:60:00",
                            "2016-02-22 12:00:60", "2016-2-22 23:59:59"})
        EXPECT_FALSE(IsValidBound(bad)) << bad;
}

TEST(RegFileReading, AcceptsCrLfLfAndALastLineWithoutEnd) {
    TempDir dir;
    const std::string path = dir.File("r.vtxreg");
    WriteFile(path, "a\r\nb\n\nc\r\r\nd");
    EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"a", "b", "", "c\r", "d"}));
    RegFileReader missing;
    EXPECT_FALSE(missing.Open(dir.File("gone.vtxreg")));
    EXPECT_FALSE(missing.Error().empty()) << "the system's reason";
}

TEST(RegFileReading, LongLinesComeWholeAndTooLongOnesAreSkippedAndCounted) {
    TempDir dir;
    const std::string path = dir.File("r.vtxreg");
    const std::string longLine(RegFileReader::kMaxLineLength, 'x');
    const std::string tooLong(3 * RegFileReader::kMaxLineLength, 'y');
    WriteFile(path, "first\r\n" + longLine + "\r\n" + tooLong + "\r\nlast\r\n" + tooLong);
    std::size_t overlong = 0;
    EXPECT_EQ(ReadLines(path, &overlong), (std::vector<std::string>{"first", longLine, "last"}));
    EXPECT_EQ(overlong, 2u);
}

TEST(RegFileReading, AnsiTextBecomesUtf8) {
    EXPECT_EQ(AnsiToUtf8("Caf\xE9 \x80 \x81"), "Caf\xC3\xA9 \xE2\x82\xAC \xC2\x81");
    EXPECT_EQ(AnsiToUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9") << "UTF-8 already";
    EXPECT_EQ(AnsiToUtf8("\xC3\x28"), "\xC3\x83(") << "not UTF-8: every byte is a character";
}

TEST(RegFileReading, ReaderBesideAnAppendingWriterSeesOnlyWholeLines) {
    TempDir dir;
    C_RegFile file(dir.Path().string(), Feb22_2016());
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) file.WriteRegistration(SampleRegistration("0249541F", i % 256, 255 - i % 256));
        done = true;
    });
    // Checked after the writer has ended, so a failure never leaves it running.
    std::vector<std::string> broken;
    std::size_t lastSeen = 0;
    bool shrank = false;
    for (int pass = 0; !done || pass == 0; ++pass) {
        const auto lines = ReadLines(file.FileName());
        RegistrationFields f;
        for (const std::string& line : lines)
            if (line.rfind("MediaID", 0) != 0 && (!ParseRegistrationLine(line, f) || !line.ends_with(",FT0001") ||
                                                  std::stoi(std::string(f.id)) + std::stoi(std::string(f.code)) != 255))
                broken.push_back(line);
        shrank = shrank || lines.size() < lastSeen;
        lastSeen = lines.size();
    }
    writer.join();
    EXPECT_TRUE(broken.empty()) << broken.size() << " broken lines, first: " << broken.front();
    EXPECT_FALSE(shrank);
    EXPECT_EQ(ReadLines(file.FileName()).size(), 20001u);
}
