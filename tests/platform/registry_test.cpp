#include "platform/registry.h"

#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kavrel {
namespace {

namespace fs = std::filesystem;

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kavrel-registry-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        folder_ = root_ + "/config/kavrel"; // does not exist yet: saving creates it
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string hiveFile(const char* name) const { return folder_ + "/" + name + ".reg"; }
    std::string readFile(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void writeFile(const std::string& path, const std::string& text) const
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    std::string root_;
    std::string folder_;
};

TEST_F(RegistryTest, KeysAndValuesFollowTheSystemRules)
{
    Registry reg("");
    const char* key = "Software\\Orvane\\Kavrel 4.0\\prefs";
    EXPECT_FALSE(reg.keyExists(RegHive::CurrentUser, "Software"));
    EXPECT_FALSE(reg.openKey(RegHive::CurrentUser, key));

    reg.setDword(RegHive::CurrentUser, key, "GrilleAuto", 0);
    reg.setString(RegHive::CurrentUser, key, "Name", "value");
    EXPECT_TRUE(reg.keyExists(RegHive::CurrentUser, "software\\ORVANE")); // parents made, case folded
    EXPECT_FALSE(reg.keyExists(RegHive::LocalMachine, "Software"));       // hives are separate
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, key, "grilleauto"), 0u);
    // A value of the other type is not returned as this one.
    EXPECT_FALSE(reg.queryString(RegHive::CurrentUser, key, "GrilleAuto"));
    EXPECT_FALSE(reg.queryDword(RegHive::CurrentUser, key, "Name"));

    // Names keep the case they were created with.
    reg.setString(RegHive::CurrentUser, "software\\orvane\\kavrel 4.0\\PREFS", "NAME", "other");
    EXPECT_EQ(reg.valueNames(RegHive::CurrentUser, key), (std::vector<std::string>{"GrilleAuto", "Name"}));
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, key, "name"), "other");
    EXPECT_EQ(reg.subkeys(RegHive::CurrentUser, "Software\\Orvane"), std::vector<std::string>{"Kavrel 4.0"});

    EXPECT_TRUE(reg.deleteValue(RegHive::CurrentUser, key, "Name"));
    EXPECT_FALSE(reg.deleteValue(RegHive::CurrentUser, key, "Name"));
    EXPECT_FALSE(reg.deleteKey(RegHive::CurrentUser, "Software\\Orvane")); // has subkeys
    EXPECT_TRUE(reg.deleteKey(RegHive::CurrentUser, key));
    EXPECT_TRUE(reg.deleteTree(RegHive::CurrentUser, "Software\\Orvane"));
    EXPECT_FALSE(reg.keyExists(RegHive::CurrentUser, "Software\\Orvane"));
    EXPECT_TRUE(reg.keyExists(RegHive::CurrentUser, "Software"));
    EXPECT_FALSE(reg.deleteTree(RegHive::CurrentUser, ""));

    RegKey k = reg.createKey(RegHive::ClassesRoot, ".ico");
    k.setString("", "Kavrel.Document");
    k.subkey("ShellNew").setString("NullFile", "");
    EXPECT_EQ(reg.queryString(RegHive::ClassesRoot, ".ico", ""), "Kavrel.Document");
    EXPECT_EQ(k.subkeys(), std::vector<std::string>{"ShellNew"});
}

TEST_F(RegistryTest, SavedHivesReadBackAndLookLikeRegistryFiles)
{
    {
        Registry reg(folder_);
        reg.setString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\specs", "insertTexteTexte",
                      "say \"hi\"\\there\nsecond line");
        reg.setDword(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\prefs", "insertTexteTaille", 10);
        reg.setDword(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\prefs", "Big", 0xFFFFFFFFu);
        reg.createKey(RegHive::CurrentUser, "Software\\Empty");
        reg.setString(RegHive::ClassesRoot, ".ico", "", "Kavrel.Document");
        ASSERT_TRUE(reg.save());
    }
    EXPECT_FALSE(fs::exists(hiveFile("HKEY_LOCAL_MACHINE"))); // nothing changed there

    std::string text = readFile(hiveFile("HKEY_CURRENT_USER"));
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\prefs]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"insertTexteTaille\"=dword:0000000a\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"insertTexteTexte\"=\"say \\\"hi\\\"\\\\there\\nsecond line\"\r\n"), std::string::npos);
    EXPECT_NE(readFile(hiveFile("HKEY_CLASSES_ROOT")).find("[HKEY_CLASSES_ROOT\\.ico]\r\n@=\"Kavrel.Document\""),
              std::string::npos);

    Registry again(folder_);
    EXPECT_TRUE(again.load());
    EXPECT_EQ(again.queryString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\specs", "insertTexteTexte"),
              "say \"hi\"\\there\nsecond line");
    EXPECT_EQ(again.queryDword(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\prefs", "Big"), 0xFFFFFFFFu);
    EXPECT_TRUE(again.keyExists(RegHive::CurrentUser, "Software\\Empty"));
    EXPECT_EQ(again.queryString(RegHive::ClassesRoot, ".ico", ""), "Kavrel.Document");
    EXPECT_EQ(again.serialize(RegHive::CurrentUser), text);
}

TEST_F(RegistryTest, ReadsFilesOfOtherWritersAndKeepsWhatItDoesNotKnow)
{
    // UTF-16 with a byte-order mark, as the system's own editor saves, with
    // deletions, a binary value over two lines and a key of another hive.
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                       "; a comment\r\n"
                       "[HKEY_CURRENT_USER\\Software\\A]\r\n"
                       "\"Keep\"=\"yes\"\r\n"
                       "\"Gone\"=\"no\"\r\n"
                       "\"Bin\"=hex:01,02,\\\r\n  03,04\r\n"
                       "\"Small\"=dword:1F\r\n"
                       "\"Gone\"=-\r\n"
                       "[HKEY_CURRENT_USER\\Software\\B]\r\n"
                       "\"x\"=\"1\"\r\n"
                       "[-HKEY_CURRENT_USER\\Software\\B]\r\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Elsewhere]\r\n"
                       "\"y\"=\"2\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
        utf16 += c;
        utf16 += '\0';
    }
    writeFile(hiveFile("HKEY_CURRENT_USER"), utf16);

    Registry reg(folder_);
    EXPECT_TRUE(reg.load());
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, "Software\\A", "Keep"), "yes");
    EXPECT_FALSE(reg.queryValue(RegHive::CurrentUser, "Software\\A", "Gone"));
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, "Software\\A", "Small"), 0x1Fu);
    EXPECT_FALSE(reg.keyExists(RegHive::CurrentUser, "Software\\B"));
    EXPECT_FALSE(reg.keyExists(RegHive::CurrentUser, "Software\\Elsewhere"));
    EXPECT_FALSE(reg.keyExists(RegHive::LocalMachine, "Software\\Elsewhere"));
    auto bin = reg.queryValue(RegHive::CurrentUser, "Software\\A", "Bin");
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->type, RegType::Other);
    reg.setString(RegHive::CurrentUser, "Software\\A", "Keep", "still");
    ASSERT_TRUE(reg.save());
    EXPECT_NE(readFile(hiveFile("HKEY_CURRENT_USER")).find("\"Bin\"=hex:01,02,03,04\r\n"), std::string::npos);
}

TEST_F(RegistryTest, DamagedFilesAreReadAsFarAsTheyParse)
{
    std::string text = "Windows Registry Editor Version 5.00\n\n"
                       "\"orphan\"=\"before any key\"\n"
                       "[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\prefs]\n"
                       "\"GrilleAuto\"=dword:00000000\n"
                       "\"Broken\"=dword:zz\n"
                       "\"Unterminated\"=\"abc\n"
                       "\"Trailing\"=\"abc\" junk\n"
                       "[HKEY_CURRENT_USER\\Software\\Cut\n"
                       "\"InCut\"=dword:00000001\n"
                       "\x01\x02\xff garbage \"\n"
                       "[HKEY_CURRENT_USER\\Software\\Orvane\\Kavrel 4.0\\colors]\n"
                       "\"CouleurFondEditeur\"=\"8404992\"\n"
                       "\"Last\"=\"cut off";
    writeFile(hiveFile("HKEY_CURRENT_USER"), text);

    Registry reg(folder_);
    EXPECT_FALSE(reg.load());
    EXPECT_EQ(reg.queryDword(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\prefs", "GrilleAuto"), 0u);
    EXPECT_EQ(reg.queryString(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\colors", "CouleurFondEditeur"),
              "8404992");
    for (const char* name : {"Broken", "Unterminated", "Trailing"})
        EXPECT_FALSE(reg.queryValue(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\prefs", name)) << name;
    EXPECT_FALSE(reg.queryValue(RegHive::CurrentUser, "Software\\Cut", "InCut"));
    // The damaged original is kept for the user.
    EXPECT_EQ(readFile(hiveFile("HKEY_CURRENT_USER") + ".damaged"), text);

    // Pure garbage, an empty file and a file that is a folder never stop the program.
    writeFile(hiveFile("HKEY_LOCAL_MACHINE"), std::string("\0\0\x89PNG\r\n\x1a\n[[[]]]\"=\"", 17));
    writeFile(hiveFile("HKEY_CLASSES_ROOT"), "");
    Registry other(folder_);
    EXPECT_FALSE(other.load());
    EXPECT_TRUE(other.subkeys(RegHive::LocalMachine, "").empty());
    fs::remove(hiveFile("HKEY_CLASSES_ROOT"));
    fs::create_directory(hiveFile("HKEY_CLASSES_ROOT"));
    EXPECT_FALSE(other.load());
    EXPECT_EQ(other.queryDword(RegHive::CurrentUser, "Software\\Orvane\\Kavrel 4.0\\prefs", "GrilleAuto"), 0u);
}

TEST_F(RegistryTest, FailedSaveKeepsTheOldFile)
{
    Registry reg(folder_);
    reg.setDword(RegHive::CurrentUser, "Software\\K", "v", 1);
    ASSERT_TRUE(reg.save());
    std::string before = readFile(hiveFile("HKEY_CURRENT_USER"));

    reg.setDword(RegHive::CurrentUser, "Software\\K", "v", 2);
    SetAtomicFileFaultHook([](const std::string& step) { return step != "commit"; });
    bool saved = reg.save();
    SetAtomicFileFaultHook(nullptr);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(hiveFile("HKEY_CURRENT_USER")), before);
    ASSERT_TRUE(reg.save()); // still pending, written once possible
    Registry again(folder_);
    again.load();
    EXPECT_EQ(again.queryDword(RegHive::CurrentUser, "Software\\K", "v"), 2u);
}

TEST_F(RegistryTest, OversizedFileIsKeptAsideAndFailedSavesSayWhy)
{
    const std::string hive = hiveFile("HKEY_CURRENT_USER");
    writeFile(hive, "Windows Registry Editor Version 5.00\n");
    const std::uintmax_t tooLarge = (64u << 20) + 1; // past what a hive may hold
    fs::resize_file(hive, tooLarge);                 // sparse: costs no disk
    Registry reg(folder_);
    EXPECT_FALSE(reg.load());
    ASSERT_TRUE(fs::exists(hive + ".damaged"));
    EXPECT_EQ(fs::file_size(hive + ".damaged"), tooLarge);
    reg.setDword(RegHive::CurrentUser, "Software\\K", "v", 1);
    ASSERT_TRUE(reg.save());
    EXPECT_LT(fs::file_size(hive), 1000u);
    EXPECT_EQ(fs::file_size(hive + ".damaged"), tooLarge);
    EXPECT_EQ(reg.saveError(), 0);

    // A file where the folder should be.
    const std::string blocked = folder_ + "/blocked";
    writeFile(blocked, "x");
    Registry nowhere(blocked + "/kavrel");
    nowhere.setDword(RegHive::CurrentUser, "Software\\K", "v", 1);
    EXPECT_FALSE(nowhere.save());
    EXPECT_EQ(nowhere.saveError(), ENOTDIR);
    Registry onFile(blocked);
    onFile.setDword(RegHive::CurrentUser, "Software\\K", "v", 1);
    EXPECT_FALSE(onFile.save());
    EXPECT_EQ(onFile.saveError(), ENOTDIR);
}

TEST(RegistryConfigFolder, FollowsTheEnvironment)
{
    std::string saved[3];
    const char* names[3] = {"KAVREL_CONFIG_DIR", "XDG_CONFIG_HOME", "HOME"};
    for (int i = 0; i < 3; ++i)
        if (const char* v = getenv(names[i]))
            saved[i] = v;

    setenv("HOME", "/home/u", 1);
    setenv("XDG_CONFIG_HOME", "", 1);
    unsetenv("KAVREL_CONFIG_DIR");
    EXPECT_EQ(ConfigFolder(), "/home/u/.config/kavrel");
    setenv("XDG_CONFIG_HOME", "/x", 1);
    EXPECT_EQ(ConfigFolder(), "/x/kavrel");
    setenv("KAVREL_CONFIG_DIR", "/k", 1);
    EXPECT_EQ(ConfigFolder(), "/k");

    for (int i = 0; i < 3; ++i) {
        if (saved[i].empty())
            unsetenv(names[i]);
        else
            setenv(names[i], saved[i].c_str(), 1);
    }
}

} // namespace
} // namespace kavrel
