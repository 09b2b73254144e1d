#include "support/LnkBuilder.h"

#include <cstring>

namespace nubrix::test {

namespace {

void U16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void U32(std::string& out, std::uint32_t v) {
  U16(out, v & 0xFFFF);
  U16(out, v >> 16);
}
void PatchU32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
// UTF-8 to UTF-16LE for the code points the tests use (below U+10000).
std::string Utf16(const std::string& text, bool terminate) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    unsigned c = static_cast<unsigned char>(text[i]);
    unsigned code = c;
    if (c >= 0xE0) {
      code = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
             (static_cast<unsigned char>(text[i + 2]) & 0x3F);
      i += 3;
    } else if (c >= 0xC0) {
      code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
      i += 2;
    } else {
      ++i;
    }
    U16(out, code);
  }
  if (terminate) U16(out, 0);
  return out;
}

std::string LinkInfo(const TLnkSpec& spec) {
  const bool local = !spec.LocalBase.empty();
  const bool network = !spec.NetName.empty();
  const std::uint32_t header = spec.UnicodeLinkInfo ? 0x24 : 0x1C;
  std::string body;  // everything after the header, offsets relative to the LinkInfo start
  std::string out(header, '\0');
  auto here = [&] { return static_cast<std::uint32_t>(header + body.size()); };
  std::uint32_t volume = 0, base = 0, net = 0, suffix = 0, baseUnicode = 0, suffixUnicode = 0;
  if (local) {
    volume = here();
    U32(body, 0x11), U32(body, spec.DriveType), U32(body, 0x1234), U32(body, 0x10);
    body.push_back('\0');
    while (body.size() % 4) body.push_back('\0');
    base = here();
    body += spec.LocalBase + '\0';
  }
  if (network) {
    net = here();
    U32(body, 0x14), U32(body, 2), U32(body, 0x14), U32(body, 0), U32(body, 0x20000);
    body += spec.NetName + '\0';
  }
  suffix = here();
  body += spec.Suffix + '\0';
  if (spec.UnicodeLinkInfo) {
    while (body.size() % 2) body.push_back('\0');
    if (local) {
      baseUnicode = here();
      body += Utf16(spec.LocalBase, true);
    }
    suffixUnicode = here();
    body += Utf16(spec.Suffix, true);
  }
  out += body;
  PatchU32(out, 0, static_cast<std::uint32_t>(out.size()));
  PatchU32(out, 4, header);
  PatchU32(out, 8, (local ? 1u : 0u) | (network ? 2u : 0u));
  PatchU32(out, 12, volume);
  PatchU32(out, 16, base);
  PatchU32(out, 20, net);
  PatchU32(out, 24, suffix);
  if (spec.UnicodeLinkInfo) {
    PatchU32(out, 28, baseUnicode);
    PatchU32(out, 32, suffixUnicode);
  }
  return out;
}

}  // namespace

std::string BuildLnk(const TLnkSpec& spec) {
  std::uint32_t flags = 0x1;  // an (empty) ID list first, to be skipped
  const bool hasInfo = !spec.LocalBase.empty() || !spec.NetName.empty();
  if (hasInfo) flags |= 0x2;
  if (!spec.RelativePath.empty()) flags |= 0x8;
  if (spec.UnicodeStrings) flags |= 0x80;
  if (!spec.Environment.empty()) flags |= 0x200;
  std::string out;
  U32(out, 0x4C);
  const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  out.append(reinterpret_cast<const char*>(clsid), 16);
  U32(out, flags);
  out.resize(0x4C, '\0');
  U16(out, 4);  // ID list of 4 bytes
  U32(out, 0);
  if (hasInfo) out += LinkInfo(spec);
  if (!spec.RelativePath.empty()) {
    const std::string text =
        spec.UnicodeStrings ? Utf16(spec.RelativePath, false) : spec.RelativePath;
    U16(out, static_cast<std::uint32_t>(spec.UnicodeStrings ? text.size() / 2 : text.size()));
    out += text;
  }
  if (!spec.Environment.empty()) {
    U32(out, 0x314), U32(out, 0xA0000001);
    std::string ansi = spec.Environment;
    ansi.resize(260, '\0');
    out += ansi;
    std::string wide = Utf16(spec.Environment, false);
    wide.resize(520, '\0');
    out += wide;
  }
  if (spec.Advertised) {
    U32(out, 0x314), U32(out, 0xA0000006);
    out += std::string(0x314 - 8, '\0');
  }
  U32(out, 0);  // terminal block
  return out;
}

}  // namespace nubrix::test
