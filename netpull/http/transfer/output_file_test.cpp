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

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// A folder is refused before anything is created, whether or not its path ends in a separator.
TEST_F(OutputFileTest, AFolderIsRefusedBeforeAnythingIsCreated) {
    fs::create_directories(folder / "inner");
    EXPECT_THAT(OutputFile::CheckSavePath(PathOf(u8"inner")), Not(IsEmpty()));
    EXPECT_THAT(OutputFile::CheckSavePath(PathOf(u8"inner/")), Not(IsEmpty()));
    EXPECT_EQ(OutputFile::CheckSavePath(PathOf(u8"saved.bin")), "");
    OutputFile file;
    EXPECT_THAT(file.Create(PathOf(u8"inner")), Not(IsEmpty()));
    EXPECT_THAT(Entries(), ElementsAre("inner"));
}

// What a killed process left is removed by the next download to the path; what a running
// one writes is never touched.
TEST_F(OutputFileTest, LeftoversOfEndedProcessesGoAndThoseOfLiveOnesStay) {
#ifdef _WIN32
    const unsigned long self = GetCurrentProcessId();
#else
    const unsigned long self = static_cast<unsigned long>(::getpid());
#endif
    const std::string live = ".saved.bin.netpull-" + std::to_string(self) + "-7-0";
    const char* const others[] = {".saved.bin.netpull-99999999-0-0",  // no such process
                                  ".other.bin.netpull-99999999-0-0",  // another save path's
                                  ".saved.bin.netpull-x-0-0", "saved.bin.netpull-99999999-0-0"};
    std::ofstream(folder / live) << "running";
    for (const char* name : others) std::ofstream(folder / name) << "left";
    OutputFile file;
    ASSERT_EQ(file.Create(PathOf(u8"saved.bin")), "");
    file.Discard();
    EXPECT_THAT(Entries(), ::testing::UnorderedElementsAre(".other.bin.netpull-99999999-0-0",
                                                           ".saved.bin.netpull-x-0-0", live,
                                                           "saved.bin.netpull-99999999-0-0"));
}

#ifdef _WIN32
// A read-only file is refused before anything is written; one that another program holds open
// without sharing cannot be replaced. Either way the reason comes back and the old file stays
// whole, with nothing beside it.
TEST_F(OutputFileTest, AFileThatCannotBeReplacedStaysWhole) {
    const std::wstring locked = (folder / "locked.bin").wstring();
    const std::wstring readOnly = (folder / "read-only.bin").wstring();
    std::ofstream(folder / "locked.bin") << "old";
    std::ofstream(folder / "read-only.bin") << "old";
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    OutputFile held;
    ASSERT_EQ(held.Create(PathOf(u8"locked.bin")), "");
    ASSERT_EQ(held.Write("new"), "");
    EXPECT_THAT(held.Keep(), Not(IsEmpty())) << "a file held open without sharing was replaced";
    OutputFile protectedFile;
    EXPECT_THAT(protectedFile.Create(PathOf(u8"read-only.bin")), Not(IsEmpty()))
        << "a read-only file was taken";
    CloseHandle(holder);
    EXPECT_EQ(Bytes(u8"locked.bin"), "old");
    EXPECT_EQ(Bytes(u8"read-only.bin"), "old");
    EXPECT_THAT(Entries(), ::testing::UnorderedElementsAre("locked.bin", "read-only.bin"));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#else
// A symbolic link stays a link: the file it names takes the download.
TEST_F(OutputFileTest, ALinkedSavePathReplacesTheLinksTarget) {
    fs::create_directories(folder / "real");
    std::ofstream(folder / "real" / "target.bin") << "old";
    fs::create_symlink("real/target.bin", folder / "link.bin");
    fs::create_symlink("link.bin", folder / "link-to-link.bin");
    OutputFile file;
    ASSERT_EQ(file.Create(PathOf(u8"link-to-link.bin")), "");
    ASSERT_EQ(file.Write("new"), "");
    ASSERT_EQ(file.Keep(), "");
    EXPECT_TRUE(fs::is_symlink(folder / "link.bin"));
    EXPECT_TRUE(fs::is_symlink(folder / "link-to-link.bin"));
    EXPECT_EQ(Bytes(u8"real/target.bin"), "new");
    EXPECT_EQ(fs::read_symlink(folder / "link.bin"), "real/target.bin");
}

// A device or a FIFO takes the body itself and stays what it is.
TEST_F(OutputFileTest, ADeviceOrAFifoIsWrittenAndNeverReplaced) {
    OutputFile null;
    ASSERT_EQ(null.Create("/dev/null"), "");
    ASSERT_EQ(null.Write(std::string(1 << 16, 'n')), "");
    ASSERT_EQ(null.Keep(), "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const fs::path fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    OutputFile unread;
    EXPECT_THAT(unread.Create(fifo.string()), Not(IsEmpty()))
        << "no reader: refused, not waited for";
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    OutputFile piped;
    ASSERT_EQ(piped.Create(fifo.string()), "");
    ASSERT_EQ(piped.Write("through"), "");
    ASSERT_EQ(piped.Keep(), "");
    char bytes[16] = {};
    EXPECT_EQ(::read(reader, bytes, sizeof bytes), 7);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_THAT(Entries(), ElementsAre("pipe"));
}

// The file replaced keeps its permission bits; a new file gets what the umask allows.
TEST_F(OutputFileTest, AReplacedFileKeepsItsPermissions) {
    std::ofstream(folder / "kept.bin") << "old";
    fs::permissions(folder / "kept.bin", fs::perms::owner_read | fs::perms::owner_write |
                                             fs::perms::group_read | fs::perms::others_exec);
    const mode_t saved = ::umask(027);
    for (const char8_t* name : {u8"kept.bin", u8"new.bin"}) {
        OutputFile file;
        ASSERT_EQ(file.Create(PathOf(name)), "");
        ASSERT_EQ(file.Write("new"), "");
        ASSERT_EQ(file.Keep(), "");
    }
    ::umask(saved);
    struct stat kept {
    }, created{};
    ::stat((folder / "kept.bin").c_str(), &kept);
    ::stat((folder / "new.bin").c_str(), &created);
    EXPECT_EQ(kept.st_mode & 07777, 0641u);
    EXPECT_EQ(created.st_mode & 07777, 0640u);
    EXPECT_EQ(Bytes(u8"kept.bin"), "new");
}
#endif

}  // namespace
}  // namespace netpull::http
