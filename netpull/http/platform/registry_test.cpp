// The registry stand-in: its text form, trees, and transactions that never damage the file.
#include "netpull/http/platform/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace netpull::registry {
namespace {

class RegistryFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/netpull-registry-XXXXXX";
        folder_ = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string folder_;
};

TEST(RegistryText, RoundTripsStringsNumbersAndDefaults) {
    Keys keys;
    keys["HKEY_CLASSES_ROOT\\A"][""] = std::string("quoted \"text\" and \\ back");
    keys["HKEY_CLASSES_ROOT\\A"]["Count"] = std::uint32_t{131473};
    keys["HKEY_CLASSES_ROOT\\A\\Empty"];
    const std::string text = Serialize(keys);
    EXPECT_NE(text.find("\"Count\"=dword:00020191"), std::string::npos);
    EXPECT_EQ(Parse(text), keys);
    EXPECT_EQ(Parse("not a registry"), std::nullopt);
    EXPECT_EQ(Parse("Netpull registry 1\n\"orphan\"=\"value\"\n"), std::nullopt);
    EXPECT_EQ(Parse("Netpull registry 1\n[K]\n@=dword:xyz\n"), std::nullopt);
}

TEST(RegistryText, DeleteTreeKeepsSiblingsWithTheSamePrefix) {
    Keys keys{{"R\\ABC", {}}, {"R\\ABC\\Child", {}}, {"R\\ABCD", {}}, {"R\\AB", {}}};
    DeleteTree(keys, "R\\ABC");
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_TRUE(keys.contains("R\\ABCD"));
    EXPECT_TRUE(keys.contains("R\\AB"));
}

TEST_F(RegistryFile, ChangesAreSavedUnderTheConfigurationFolder) {
    EXPECT_EQ(RegistryPath(), folder_ + "/netpull/registry");
    ASSERT_TRUE(Change([](Keys& keys) { keys["HKEY_CLASSES_ROOT\\X"][""] = std::string("x"); }));
    ASSERT_TRUE(Change([](Keys& keys) { keys["HKEY_CLASSES_ROOT\\Y"]["N"] = std::uint32_t{7}; }));
    const auto keys = Read();
    ASSERT_TRUE(keys);
    EXPECT_EQ(keys->size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(RegistryPath() + ".new"));
}

TEST_F(RegistryFile, ADamagedFileIsLeftAsItIs) {
    std::filesystem::create_directories(folder_ + "/netpull");
    std::ofstream(RegistryPath()) << "garbage that is no registry";
    EXPECT_FALSE(Change([](Keys& keys) { keys["K"]; }));
    std::ifstream file(RegistryPath());
    std::string text;
    std::getline(file, text);
    EXPECT_EQ(text, "garbage that is no registry");
}

}  // namespace
}  // namespace netpull::registry
