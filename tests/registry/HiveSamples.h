// Hive texts and helpers shared by the registry tests.
#pragma once

#include <string>

namespace nubrix::test {

// A user.reg as Wine writes one: signature, relative-to line, #arch, sections with Unix times and
// #time lines, escapes, continuation lines, str(2)/str(7)/hex(N) values, a key that only has
// subkeys (Software\Empty has no section) and a comment Wine would not write.
inline const std::string kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] 1700000000\n"
    "#time=1da0f1c2b3a4d5e\n"
    "\"url1\"=\"http://example.org/a\\\\b\"\n"
    "\"url2\"=\"http://example.org/\\\"quoted\\\"\"\n"
    "\"url3\"=\"caf\\xe9 \\x263a\"\n"
    "\n"
    "[Software\\\\Microsoft\\\\MediaPlayer\\\\Player\\\\RecentFileList] 1700000001\n"
    "#time=1da0f1c2b3a4d5f\n"
    "\"File0\"=\"Z:\\\\home\\\\user\\\\song.mp3\"\n"
    "\"File1\"=\"Z:\\\\home\\\\user\\\\clip.avi\"\n"
    "\"File2\"=\"Z:\\\\home\\\\user\\\\film.mkv\"\n"
    "\"Count\"=dword:00000003\n"
    "\n"
    "[Software\\\\Empty\\\\Inner] 1700000002\n"
    "#time=1da0f1c2b3a4d60\n"
    "; a comment\n"
    "@=\"default\"\n"
    "\"Path\"=str(2):\"%SystemRoot%\\\\x\"\n"
    "\"List\"=str(7):\"one\\0two\\0\"\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
    "  18,19,1a,1b,1c\n"
    "\"Big\"=hex(b):ff,ff,ff,ff,00,00,00,00\n"
    "\"Ctl\"=\"a\\tb\\nc\\0337d\"\n"
    "\n"
    "[Software\\\\Empty\\\\Other] 1700000003\n"
    "#time=1da0f1c2b3a4d61\n"
    "\"X\"=\"1\"\n";

}  // namespace nubrix::test
