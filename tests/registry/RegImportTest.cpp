// The importer of registry scripts: both versions, deletions, bad lines and refused hives.
#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "registry/RegImport.h"

namespace nubrix::registry {
namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::TMemoryRegistry;
using platform::TRegistry;

const std::string kEmptyHive = "WINE REGISTRY Version 2\n";

class RegImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store.SetHive(kHkeyCurrentUser,
                  kEmptyHive +
                      "[Old\\\\Gone\\\\Deep] 1\n\"x\"=\"1\"\n[Old\\\\Kept] 1\n\"drop\"=\"1\"\n"
                      "\"keep\"=\"2\"\n");
  }
  TRegistry Open(std::string_view key, std::uint32_t root = kHkeyCurrentUser) {
    TRegistry registry(Store);
    registry.SetRootKey(root);
    EXPECT_TRUE(registry.OpenKey(key)) << key;
    return registry;
  }
  TMemoryRegistry Store;
};

TEST_F(RegImportTest, Regedit4) {
  const TRegImportResult result = ImportRegText(
      Store,
      "REGEDIT4\r\n\r\n; a comment\r\n[HKEY_CURRENT_USER\\New\\Key]\r\n@=\"default\"\r\n"
      "\"path\"=\"C:\\\\dir\\\\\"\r\n\"quoted\"=\"say \\\"hi\\\" and \"bye\"\"\r\n"
      "\"n\"=dword:0000000A\r\n\"bin\"=hex:01,02,\\\r\n  03\r\n\"exp\"=hex(2):25,50,25,00\r\n"
      "\"ansi\"=\"caf\xE9\"\r\n\r\n[-HKEY_CURRENT_USER\\Old\\Gone]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Old\\Kept]\r\n\"drop\"=-\r\n");
  EXPECT_EQ(result.Error, "");
  EXPECT_EQ(result.Changes, 10) << "a key, seven values, a tree and a value deleted";
  TRegistry registry = Open("New\\Key");
  EXPECT_EQ(registry.ReadString(""), "default");
  EXPECT_EQ(registry.ReadString("path"), "C:\\dir\\");
  EXPECT_EQ(registry.ReadString("quoted"), "say \"hi\" and \"bye\"");
  EXPECT_EQ(registry.ReadInteger("n"), 10);
  EXPECT_EQ(registry.GetDataSize("bin"), 3);
  EXPECT_EQ(registry.GetDataType("exp"), platform::kRegExpandSz);
  EXPECT_EQ(registry.ReadString("exp"), "%P%") << "ANSI bytes become UTF-16";
  EXPECT_EQ(registry.ReadString("ansi"), "caf\xC3\xA9");
  EXPECT_FALSE(registry.KeyExists("Old\\Gone"));
  EXPECT_TRUE(registry.KeyExists("Old")) << "only the tree named goes";
  EXPECT_EQ(Open("Old\\Kept").GetValueNames(), std::vector<std::string>{"keep"});
  EXPECT_EQ(Store.Changes, 1) << "one change of the hive for the whole file";
}

TEST_F(RegImportTest, Version5InUtf16) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Run]\r\n"
      u"\"Tr\u00e4y\"=\"C:\\\\\u20ac.exe\"\r\n\"m\"=hex(7):61,00,00,00,00,00\r\n";
  Store.SetHive(kHkeyLocalMachine, kEmptyHive);
  const TRegImportResult result = ImportRegText(Store, "\xFF\xFE" + platform::Utf16ToBytes(text));
  EXPECT_EQ(result.Error, "");
  TRegistry registry = Open("Software\\Run", kHkeyLocalMachine);
  EXPECT_EQ(registry.ReadString("Tr\xC3\xA4y"), "C:\\\xE2\x82\xAC.exe");
  EXPECT_EQ(registry.GetDataSize("m"), 6) << "version 5 strings are UTF-16 already";
}

TEST_F(RegImportTest, BadInput) {
  const std::string before = Store.Hive(kHkeyCurrentUser)->Text();
  TRegImportResult result = ImportRegText(Store, "[HKEY_CURRENT_USER\\X]\r\n\"a\"=\"1\"\r\n");
  EXPECT_EQ(result.Error, "the file is not a registry script.");
  EXPECT_EQ(ImportRegText(Store, "").Error, "the file is not a registry script.");
  EXPECT_EQ(ImportRegText(Store, "\xFF\xFE").Error, "the file is not a registry script.");

  result = ImportRegText(Store,
                         "REGEDIT4\r\n\"outside\"=\"1\"\r\n[HKEY_NOWHERE\\X]\r\n"
                         "[HKEY_CURRENT_USER\\Y]\r\n\"bad\"=dword:123456789\r\n\"good\"=\"1\"\r\n"
                         "\"unterminated\r\n\"hex\"=hex:1\r\n");
  EXPECT_EQ(result.Error,
            "line 2 cannot be read: \"outside\"=\"1\"; 5 lines in all were not imported");
  EXPECT_EQ(Open("Y").GetValueNames(), std::vector<std::string>{"good"})
      << "the lines that could be read are imported";
  EXPECT_NE(Store.Hive(kHkeyCurrentUser)->Text(), before);

  result = ImportRegText(Store, "REGEDIT4\r\n[HKEY_USERS\\.Default\\X]\r\n\"a\"=\"1\"\r\n");
  EXPECT_NE(result.Error.find("cannot be changed"), std::string::npos) << result.Error;
  EXPECT_EQ(result.Changes, 0);
}

TEST_F(RegImportTest, ARootIsNeverDeletedAndValuesBelowARefusedHeaderGoNowhere) {
  Store.SetHive(kHkeyLocalMachine, kEmptyHive + "[Software\\Classes\\.txt] 1\n@=\"txtfile\"\n");
  const std::string machine = Store.Hive(kHkeyLocalMachine)->Text();
  const TRegImportResult result =
      ImportRegText(Store,
                    "REGEDIT4\r\n[-HKEY_CLASSES_ROOT]\r\n[-HKEY_LOCAL_MACHINE]\r\n[HKEY_CURRENT_"
                    "USER\\Old\\Kept]\r\n"
                    "\"keep\"=\"3\"\r\n[HKEY_NOWHERE\\X]\r\n\"stray\"=\"1\"\r\n");
  EXPECT_EQ(result.Error,
            "line 2 cannot be read: [-HKEY_CLASSES_ROOT]; 4 lines in all were not imported");
  EXPECT_EQ(Store.Hive(kHkeyLocalMachine)->Text(), machine) << "no class deleted";
  TRegistry kept = Open("Old\\Kept");
  EXPECT_EQ(kept.ReadString("keep"), "3");
  EXPECT_FALSE(kept.ValueExists("stray")) << "not into the key before the refused header";
}

TEST_F(RegImportTest, ARefusedHiveChangesNothing) {
  Store.SetReadOnly(kHkeyCurrentUser);
  const std::string before = Store.Hive(kHkeyCurrentUser)->Text();
  const TRegImportResult result =
      ImportRegText(Store, "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"1\"\r\n");
  EXPECT_FALSE(result.Error.empty());
  EXPECT_EQ(Store.Hive(kHkeyCurrentUser)->Text(), before);
}

TEST(RegImportNotesTest, Texts) {
  EXPECT_EQ(ImportQuestion("/a/b.reg"),
            "Are you sure you want to add the information in /a/b.reg to the registry?");
  EXPECT_EQ(ImportErrorNote("/a/b.reg", "x"), "Cannot import /a/b.reg: x");
}

}  // namespace
}  // namespace nubrix::registry
