// The hive parser and its splicing changes: what is read, and that a change touches only the
// lines it concerns.
#include <gtest/gtest.h>

#include "platform/WineHive.h"
#include "registry/HiveSamples.h"

namespace nubrix::platform {
namespace {

using test::kUserReg;

constexpr std::string_view kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr std::string_view kMedia = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
constexpr std::string_view kInner = "Software\\Empty\\Inner";
constexpr std::int64_t kNow = 1800000000;

std::string Text(const TWineHive& hive, std::string_view path, std::string_view name) {
  const THiveValue* value = hive.FindValue(path, name);
  return value == nullptr ? "<missing>" : StringValueText(value->Value.Data);
}

std::string Without(std::string text, std::string_view lines) {
  const std::size_t at = text.find(lines);
  EXPECT_NE(at, std::string::npos) << lines;
  if (at != std::string::npos) text.erase(at, lines.size());
  return text;
}

TEST(WineHiveTest, ReadsWhatWineWrites) {
  const TWineHive hive(kUserReg);
  ASSERT_TRUE(hive.HasSignature());
  EXPECT_EQ(Text(hive, kTyped, "url1"), "http://example.org/a\\b");
  EXPECT_EQ(Text(hive, kTyped, "url2"), "http://example.org/\"quoted\"");
  EXPECT_EQ(Text(hive, kTyped, "url3"), "caf\xC3\xA9 \xE2\x98\xBA") << "\\x escapes are UTF-16";
  EXPECT_EQ(Text(hive, "software\\EMPTY\\inner", "ctl"),
            "a\tb\nc\x1B"
            "7d")
      << "octal escapes take at most three digits; names ignore case";
  EXPECT_EQ(Text(hive, kInner, ""), "default");

  const THiveValue* path = hive.FindValue(kInner, "Path");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->Value.Type, kRegExpandSz);
  EXPECT_EQ(path->Value.Data, StringValueData("%SystemRoot%\\x"));
  const THiveValue* list = hive.FindValue(kInner, "List");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Value.Type, kRegMultiSz);
  EXPECT_EQ(list->Value.Data, Utf16ToBytes(std::u16string(u"one\0two\0\0", 9)));
  const THiveValue* blob = hive.FindValue(kInner, "Blob");
  ASSERT_NE(blob, nullptr);
  ASSERT_EQ(blob->Value.Data.size(), 29U) << "the continuation line belongs to the value";
  EXPECT_EQ(blob->Value.Data[28], '\x1c');
  const THiveValue* big = hive.FindValue(kInner, "Big");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->Value.Type, kRegQword);
  EXPECT_EQ(big->Value.Data, std::string("\xff\xff\xff\xff\0\0\0\0", 8));
  const THiveValue* count = hive.FindValue(kMedia, "Count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->Value.Data, std::string("\3\0\0\0", 4));
}

TEST(WineHiveTest, KeysExistThroughTheirSubkeys) {
  const TWineHive hive(kUserReg);
  EXPECT_EQ(hive.FindKey("Software\\Empty"), nullptr) << "it has no section";
  EXPECT_TRUE(hive.KeyExists("Software\\Empty"));
  EXPECT_TRUE(hive.KeyExists(""));
  EXPECT_FALSE(hive.KeyExists("Software\\Emp"));
  EXPECT_FALSE(hive.KeyExists("Software\\Empty\\Inner\\Deeper"));
  EXPECT_EQ(hive.SubkeyNames("Software"), (std::vector<std::string>{"Microsoft", "Empty"}))
      << "in the order the file first names them";
  EXPECT_EQ(hive.SubkeyNames("software\\empty"), (std::vector<std::string>{"Inner", "Other"}));
  EXPECT_TRUE(hive.SubkeyNames(kInner).empty());
}

TEST(WineHiveTest, DeletingAValueRemovesOnlyItsLines) {
  TWineHive hive(kUserReg);
  EXPECT_TRUE(hive.DeleteValue(kInner, "blob"));
  EXPECT_EQ(hive.Text(),
            Without(kUserReg,
                    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,"
                    "15,16,17,\\\n  18,19,1a,1b,1c\n"));
  EXPECT_TRUE(hive.DeleteValue(kMedia, "File1"));
  EXPECT_FALSE(hive.DeleteValue(kMedia, "File1")) << "already gone";
  EXPECT_EQ(Text(hive, kMedia, "File2"), "Z:\\home\\user\\film.mkv");
  ASSERT_NE(hive.FindValue(kInner, "Big"), nullptr) << "the next value still reads";
  EXPECT_EQ(hive.FindValue(kInner, "Big")->Value.Type, kRegQword);
}

// Several values go in one pass; every key and value after them still lies where a fresh read of
// the text finds it.
TEST(WineHiveTest, DeletingSeveralValuesAtOnceKeepsTheRestInPlace) {
  TWineHive hive(kUserReg);
  TWineHive oneByOne(kUserReg);
  EXPECT_EQ(hive.DeleteValues(kInner, {"blob", "nothing", "BIG"}), 2);
  oneByOne.DeleteValue(kInner, "Blob");
  oneByOne.DeleteValue(kInner, "Big");
  EXPECT_EQ(hive.Text(), oneByOne.Text());
  const TWineHive fresh(hive.Text());
  ASSERT_EQ(hive.Keys().size(), fresh.Keys().size());
  for (std::size_t i = 0; i < fresh.Keys().size(); ++i) {
    const THiveKey& now = hive.Keys()[i];
    const THiveKey& read = fresh.Keys()[i];
    EXPECT_EQ(std::tie(now.Path, now.Begin, now.End, now.ContentEnd),
              std::tie(read.Path, read.Begin, read.End, read.ContentEnd));
    ASSERT_EQ(now.Values.size(), read.Values.size()) << now.Path;
    for (std::size_t v = 0; v < now.Values.size(); ++v) {
      EXPECT_EQ(now.Values[v].Begin, read.Values[v].Begin);
      EXPECT_EQ(now.Values[v].End, read.Values[v].End);
    }
  }
}

TEST(WineHiveTest, DeletingAKeyTreeKeepsItsParentAndTheRest) {
  TWineHive hive(kUserReg);
  EXPECT_FALSE(hive.DeleteKeyTree("Software\\Nothing", kNow));
  ASSERT_TRUE(hive.DeleteKeyTree("Software\\Empty\\Inner", kNow));
  EXPECT_FALSE(hive.KeyExists(kInner));
  EXPECT_EQ(Text(hive, "Software\\Empty\\Other", "X"), "1");
  ASSERT_TRUE(hive.DeleteKeyTree("Software\\Empty\\Other", kNow));
  EXPECT_TRUE(hive.KeyExists("Software\\Empty")) << "a key lives on without its subkeys";
  ASSERT_NE(hive.FindKey("Software\\Empty"), nullptr);
  EXPECT_TRUE(
      hive.Text().starts_with(kUserReg.substr(0, kUserReg.find("[Software\\\\Empty\\\\Inner]"))))
      << "everything before the deleted sections is unchanged";

  ASSERT_TRUE(hive.DeleteKeyTree("Software\\Microsoft", kNow));
  EXPECT_EQ(hive.SubkeyNames("Software"), std::vector<std::string>{"Empty"});
  EXPECT_EQ(Text(hive, kTyped, "url1"), "<missing>");
}

// What the writer puts in a hive, the reader gets back, for every kind of value.
TEST(WineHiveTest, WrittenValuesReadBack) {
  const std::string binary(100, '\xAB');
  const TRegValue values[] = {
      {"plain", kRegSz, StringValueData("C:\\dir\\\"quoted\" caf\xC3\xA9 \xE2\x82\xAC")},
      {"control", kRegSz,
       StringValueData("tab\there\x01"
                       "7 bell\a \x1B"
                       "5")},
      {"hexy", kRegSz,
       StringValueData("\xC3\xA9"
                       "af")},
      {"", kRegExpandSz, StringValueData("%PATH%")},
      {"multi", kRegMultiSz, Utf16ToBytes(std::u16string(u"a\0b\0\0", 5))},
      {"number", kRegDword, std::string("\x78\x56\x34\x12", 4)},
      {"blob", kRegBinary, binary},
      {"empty", kRegBinary, ""},
      {"odd string", kRegSz, std::string("abc", 3)},
      {"quad", kRegQword, std::string("\1\2\3\4\5\6\7\x08", 8)},
      {"name \\ with [brackets] and \"quotes\"", kRegDword, std::string(4, '\0')},
  };
  TWineHive hive(kUserReg);
  for (const TRegValue& value : values) hive.SetValue("Software\\New\\Key", value, kNow);
  hive.SetValue(kTyped, {"url1", kRegSz, StringValueData("replaced")}, kNow);
  const TWineHive reread(hive.Text());
  for (const TRegValue& value : values) {
    const THiveValue* read = reread.FindValue("Software\\New\\Key", value.Name);
    ASSERT_NE(read, nullptr) << value.Name;
    EXPECT_EQ(read->Value.Type, value.Type) << value.Name;
    EXPECT_EQ(read->Value.Data, value.Data) << value.Name;
  }
  EXPECT_EQ(Text(reread, kTyped, "url1"), "replaced");
  EXPECT_EQ(reread.FindKey(kTyped)->Values.size(), 3U) << "replaced in place, not added";
  const std::string& text = hive.Text();
  for (std::size_t at = 0; at < text.size(); ++at) {
    ASSERT_LT(static_cast<unsigned char>(text[at]), 0x80) << "written hives are ASCII";
  }
  const std::size_t line = text.find("\"blob\"=hex:");
  EXPECT_LT(text.find("\\\n  ", line) - line, 80U) << "long hex data goes on continuation lines";
}

TEST(WineHiveTest, NewValuesGoToTheEndOfTheirSection) {
  TWineHive hive(kUserReg);
  hive.SetValue(kMedia, {"File3", kRegSz, StringValueData("x")}, kNow);
  std::string expected = kUserReg;
  const std::string after = "\"Count\"=dword:00000003\n";
  expected.insert(expected.find(after) + after.size(), "\"File3\"=\"x\"\n");
  EXPECT_EQ(hive.Text(), expected);

  hive.CreateKey("Software\\Made", kNow);
  EXPECT_TRUE(hive.Text().ends_with("\n[Software\\\\Made] 1800000000\n#time=1dda4c66b338000\n"))
      << hive.Text().substr(hive.Text().size() - 80);
}

TEST(WineHiveTest, LinesItCannotReadAreKeptAndIgnored) {
  const std::string text =
      "WINE REGISTRY Version 2\n[Broken\n\"a\"=\"1\"\n[Good] "
      "1\n\"b\"=nonsense\n\"c\"=\"unterminated\n"
      "\"d\"=dword:\n\"e\"=hex:0g\n\"f\"=\"ok\"\r\n[\\x41\\\\B]\n@=\"\"";
  TWineHive hive(text);
  EXPECT_EQ(hive.Text(), text);
  ASSERT_EQ(hive.Keys().size(), 2U);
  EXPECT_EQ(hive.Keys()[0].Values.size(), 1U) << "only f";
  EXPECT_EQ(Text(hive, "Good", "f"), "ok") << "CR LF lines read too";
  EXPECT_EQ(Text(hive, "A\\B", ""), "");
  hive.SetValue("A\\B", {"g", kRegSz, StringValueData("2")}, kNow);
  EXPECT_EQ(Text(TWineHive(hive.Text()), "A\\B", "g"), "2") << "a last line without line feed";

  EXPECT_FALSE(TWineHive("REGEDIT4\n[A]\n").HasSignature());
  EXPECT_FALSE(TWineHive("").HasSignature());
}

}  // namespace
}  // namespace nubrix::platform
