// The registry export file, byte for byte, and its way back through the importer.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/Paths.h"
#include "registry/HiveSamples.h"
#include "registry/RegExpo.h"
#include "registry/RegImport.h"
#include "support/TempTree.h"

namespace nubrix::registry {
namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::TMemoryRegistry;

const std::string kSignature = "WINE REGISTRY Version 2\n";

std::string Export(platform::IRegistryStore& store, std::uint32_t root, const std::string& key) {
  TRegExporter exporter(store, root);
  exporter.WriteKeySection(key);
  return platform::Utf8ToAnsi(exporter.Text());
}

std::string Hive(std::string_view sections) { return kSignature + std::string(sections); }

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(RegExpoTest, TheExampleFile) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser,
                Hive("[Software\\\\X] 1\n@=dword:000000ff\n[Software\\\\X\\\\Sub] 1\n"
                     "@=hex:01,02,ff\n"));
  const test::TTempTree tree;
  WriteRegFile(store, kHkeyCurrentUser, "Software\\X", tree / "x.reg");
  EXPECT_EQ(ReadFile(tree / "x.reg"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n@=dword:000000FF\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\X\\Sub]\r\n@=hex:01,02,FF\r\n")
      << "every line ends with CR LF, the last one too, and no empty line follows";
  WriteRegFile(store, kHkeyCurrentUser, "Software\\X\\", tree / "y.reg");
  EXPECT_EQ(ReadFile(tree / "y.reg"), ReadFile(tree / "x.reg")) << "a trailing backslash";
}

struct TValueCase {
  const char* Hive;      // the value's line in the hive
  const char* Expected;  // its line in the export
};

class RegExpoValueTest : public ::testing::TestWithParam<TValueCase> {};

TEST_P(RegExpoValueTest, ValueLine) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser, Hive("[K] 1\n" + std::string(GetParam().Hive) + "\n"));
  EXPECT_EQ(Export(store, kHkeyCurrentUser, "K"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n" + std::string(GetParam().Expected));
}

std::string HexLine(int bytes) {
  std::string line = "\"b\"=hex:";
  for (int i = 0; i < bytes; ++i) line += (i > 0 ? "," : "") + std::string("ab");
  return line;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegExpoValueTest,
    ::testing::Values(
        TValueCase{"\"p\"=\"C:\\\\\\\\server\"", "\"p\"=\"C:\\\\\\\\server\""},
        TValueCase{"\"a\\\\b\"=\"x\"", "\"a\\\\b\"=\"x\""},
        TValueCase{"\"q\"=\"say \\\"hi\\\"\"", "\"q\"=\"say \"hi\"\""},
        TValueCase{"\"name \\\"in\\\" quotes\"=\"\"", "\"name \"in\" quotes\"=\"\""},
        TValueCase{"\"e\"=str(2):\"%PATH%\"",
                   "\"e\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00"},
        TValueCase{"\"z\"=hex(1):41,00,00,00,42,00", "\"z\"=\"A\""},
        TValueCase{"\"n\"=dword:ffffffff", "\"n\"=dword:FFFFFFFF"},
        TValueCase{"\"n\"=dword:0000000a", "\"n\"=dword:0000000A"},
        TValueCase{"\"m\"=str(7):\"a\\0b\\0\"", "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
        TValueCase{"\"q\"=hex(b):01,00,00,00,00,00,00,00", "\"q\"=hex(b):01,00,00,00,00,00,00,00"},
        TValueCase{"\"0\"=hex(0):", "\"0\"=hex(0):"}, TValueCase{"\"b\"=hex:", "\"b\"=hex:"},
        TValueCase{"\"t\"=\"caf\\xe9 \\x20ac \\x4e2d\"", "\"t\"=\"caf\xE9 \x80 ?\""}));

TEST(RegExpoTest, BinaryLinesBreakAfterEvery25thByte) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser, Hive("[K] 1\n" + HexLine(26) + "\n[L] 1\n" + HexLine(27) +
                                       "\n[M] 1\n" + HexLine(52) + "\n"));
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\";
  std::string bytes26;
  for (int i = 0; i < 26; ++i) bytes26 += (i > 0 ? "," : "") + std::string("AB");
  EXPECT_EQ(Export(store, kHkeyCurrentUser, "K"), head + "K]\r\n\"b\"=hex:" + bytes26);
  EXPECT_EQ(Export(store, kHkeyCurrentUser, "L"),
            head + "L]\r\n\"b\"=hex:" + bytes26 + ",\\\r\nAB");
  const std::string bytes25 = bytes26.substr(3);
  EXPECT_EQ(Export(store, kHkeyCurrentUser, "M"),
            head + "M]\r\n\"b\"=hex:" + bytes26 + ",\\\r\n" + bytes25 + ",\\\r\nAB");
}

TEST(RegExpoTest, SectionsComeDepthFirstAndBareWhereAKeyDoesNotOpen) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser,
                Hive("[R\\\\A\\\\A1] 1\n\"v\"=\"1\"\n[R\\\\B] 1\n[R\\\\A\\\\A2] 1\n[R] 1\n"));
  EXPECT_EQ(Export(store, kHkeyCurrentUser, "R"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\R]\r\n\r\n[HKEY_CURRENT_USER\\R\\A]\r\n\r\n"
            "[HKEY_CURRENT_USER\\R\\A\\A1]\r\n\"v\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\R\\A\\A2]"
            "\r\n\r\n[HKEY_CURRENT_USER\\R\\B]");
  EXPECT_EQ(Export(store, kHkeyCurrentUser, "Missing\\Key"),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Missing\\Key]");
  store.SetHive(kHkeyLocalMachine, Hive("[R\\\\Sub] 1\n\"v\"=\"1\"\n"));
  store.SetReadOnly(kHkeyLocalMachine);
  EXPECT_EQ(Export(store, kHkeyLocalMachine, "R"), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\R]")
      << "a key the user may read but not write";
  EXPECT_EQ(Export(store, 0x12345678, "R"), "REGEDIT4\r\n\r\n[\\R]") << "no root name";
}

TEST(RegExpoTest, AFileThatCannotBeWrittenIsLeftAlone) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser, Hive("[K] 1\n"));
  const test::TTempTree tree;
  EXPECT_NO_THROW(WriteRegFile(store, kHkeyCurrentUser, "K", tree / "missing/folder/x.reg"));
  EXPECT_FALSE(platform::Exists(tree / "missing"));
}

TEST(RegExpoTest, DoubleBackslashes) {
  EXPECT_EQ(DoubleBackslashes(""), "");
  EXPECT_EQ(DoubleBackslashes("\\"), "\\\\");
  EXPECT_EQ(DoubleBackslashes("a\\\\b\\"), "a\\\\\\\\b\\\\");
}

// Export, import into an empty registry, export again: the same bytes.
TEST(RegExpoTest, ExportImportExportGivesTheSameBytes) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser, test::kUserReg);
  const test::TTempTree tree;
  const std::string first = tree / "first.reg";
  WriteRegFile(store, kHkeyCurrentUser, "Software", first);

  TMemoryRegistry empty;
  empty.SetHive(kHkeyCurrentUser, kSignature);
  const TRegImportResult result = ImportRegText(empty, ReadFile(first));
  EXPECT_EQ(result.Error, "");
  EXPECT_GT(result.Changes, 10);
  const std::string second = tree / "second.reg";
  WriteRegFile(empty, kHkeyCurrentUser, "Software", second);
  EXPECT_EQ(ReadFile(second), ReadFile(first));
}

// A backup, the values deleted, the backup imported: every value comes back with its type and its
// bytes.
TEST(RegExpoTest, EveryValueTypeComesBackFromABackupByteForByte) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser,
                Hive("[K] 1\n\"sz\"=\"plain \\\"quoted\\\" C:\\\\x\"\n\"lines\"=\"one\\r\\ntwo\"\n"
                     "\"expand\"=str(2):\"%PATH%;x\"\n\"multi\"=str(7):\"a\\0bc\\0\\0\"\n"
                     "\"dword\"=dword:0000002a\n\"binary\"=hex:00,ff\n"
                     "\"qword\"=hex(b):01,02,03,04,05,06,07,08\n\"none\"=hex(0):\n"
                     "\"short\"=hex(4):01,02\n"));
  platform::TRegistry registry(store);
  registry.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey("K"));
  const std::vector<std::string> names = registry.GetValueNames();
  ASSERT_EQ(names.size(), 9u);
  std::vector<std::pair<std::uint32_t, std::string>> before;
  const auto bytesOf = [&](platform::TRegistry& from, const std::string& name) {
    std::string data(static_cast<std::size_t>(from.GetDataSize(name)), '\0');
    from.ReadBinaryData(name, data.data(), static_cast<int>(data.size()));
    return std::make_pair(from.GetDataType(name), data);
  };
  for (const std::string& name : names) before.push_back(bytesOf(registry, name));
  registry.CloseKey();
  const test::TTempTree tree;
  const std::string backup = WriteRegBackup(store, kHkeyCurrentUser, "K", tree / "k.reg");
  ASSERT_FALSE(backup.empty());
  ASSERT_TRUE(registry.OpenKey("K"));
  for (const std::string& name : names) ASSERT_TRUE(registry.DeleteValue(name));
  registry.CloseKey();
  const TRegImportResult result = ImportRegText(store, ReadFile(backup));
  EXPECT_EQ(result.Error, "");
  ASSERT_TRUE(registry.OpenKey("K"));
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(bytesOf(registry, names[i]), before[i]) << names[i];
}

TEST(RegExpoTest, BackupsInTheSameMinuteKeepEachOtherAndTextANSICannotHoldSurvives) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser, Hive("[K] 1\n\"Greek\"=\"\\x3a9\\x3b1\"\n"));
  const test::TTempTree tree;
  const std::string name = tree / "Media_05_01__09_07.reg";
  EXPECT_EQ(WriteRegBackup(store, kHkeyCurrentUser, "K", name), name);
  const std::string first = ReadFile(name);
  EXPECT_EQ(WriteRegBackup(store, kHkeyCurrentUser, "K", name), tree / "Media_05_01__09_07_2.reg");
  EXPECT_EQ(WriteRegBackup(store, kHkeyCurrentUser, "K", name), tree / "Media_05_01__09_07_3.reg");
  EXPECT_EQ(ReadFile(name), first) << "never replaced";
  ASSERT_TRUE(first.starts_with("\xFF\xFE")) << "UTF-16, not question marks";
  TMemoryRegistry restored;
  restored.SetHive(kHkeyCurrentUser, kSignature);
  EXPECT_EQ(ImportRegText(restored, first).Error, "");
  platform::TRegistry registry(restored);
  registry.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey("K"));
  EXPECT_EQ(registry.ReadString("Greek"), "\xCE\xA9\xCE\xB1");
}

}  // namespace
}  // namespace nubrix::registry
