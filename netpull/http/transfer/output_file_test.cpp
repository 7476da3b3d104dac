// The output file on its own, on Linux and on Windows: kept files replace the save path in
// one step, discarded and failed ones leave it and its folder as they were.
#include "netpull/http/transfer/output_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace netpull::http {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

class OutputFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("netpull-output-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Save paths are UTF-8, also on Windows.
    std::string PathOf(const std::u8string& name) const {
        const std::u8string path = (folder / fs::path(name)).u8string();
        return std::string(path.begin(), path.end());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::u8string name = entry.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
        return names;
    }
    std::string Bytes(const std::u8string& name) const {
        std::ifstream in(folder / fs::path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder;
};

TEST_F(OutputFileTest, KeepReplacesTheSavePathWithTheWholeFile) {
    std::ofstream(folder / "saved.bin") << "old";
    OutputFile file;
    ASSERT_EQ(file.Create(PathOf(u8"saved.bin")), "");
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(Bytes(u8"saved.bin"), "old");  // untouched while the download runs
    ASSERT_EQ(file.Write(std::string(100000, 'n')), "");
    ASSERT_EQ(file.Write("end"), "");
    ASSERT_EQ(file.Keep(), "");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(Bytes(u8"saved.bin"), std::string(100000, 'n') + "end");
    EXPECT_THAT(Entries(), ElementsAre("saved.bin"));
}

TEST_F(OutputFileTest, DiscardLeavesTheOldFileAndNothingBesideIt) {
    std::ofstream(folder / "saved.bin") << "old";
    {
        OutputFile file;
        ASSERT_EQ(file.Create(PathOf(u8"saved.bin")), "");
        ASSERT_EQ(file.Write("partial"), "");
        file.Discard();
        EXPECT_FALSE(file.IsOpen());
    }
    {
        OutputFile dropped;  // an open file that goes away is discarded too
        ASSERT_EQ(dropped.Create(PathOf(u8"saved.bin")), "");
    }
    EXPECT_EQ(Bytes(u8"saved.bin"), "old");
    EXPECT_THAT(Entries(), ElementsAre("saved.bin"));
}

TEST_F(OutputFileTest, NamesOutsideAsciiAreKept) {
    OutputFile file;
    ASSERT_EQ(file.Create(PathOf(u8"t\u00e9l\u00e9chargement \u20ac.txt")), "");
    ASSERT_EQ(file.Write("\xC3\xA9"), "");
    ASSERT_EQ(file.Keep(), "");
    EXPECT_EQ(Bytes(u8"t\u00e9l\u00e9chargement \u20ac.txt"), "\xC3\xA9");
}

TEST_F(OutputFileTest, APathThatCannotBeCreatedGivesTheSystemsReason) {
    OutputFile file;
    EXPECT_THAT(file.Create(PathOf(u8"missing/saved.bin")), Not(IsEmpty()));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THAT(file.Create(PathOf(u8"folder/")), Not(IsEmpty()));
    EXPECT_THAT(Entries(), IsEmpty());
}

TEST_F(OutputFileTest, TwoFilesForOnePathEndWithOneWholeFile) {
    OutputFile first, second;
    ASSERT_EQ(first.Create(PathOf(u8"saved.bin")), "");
    ASSERT_EQ(second.Create(PathOf(u8"saved.bin")), "");
    ASSERT_EQ(first.Write(std::string(5000, '1')), "");
    ASSERT_EQ(second.Write(std::string(7000, '2')), "");
    ASSERT_EQ(first.Keep(), "");
    ASSERT_EQ(second.Keep(), "");
    EXPECT_EQ(Bytes(u8"saved.bin"), std::string(7000, '2'));
    EXPECT_THAT(Entries(), ElementsAre("saved.bin"));
}

}  // namespace
}  // namespace netpull::http
