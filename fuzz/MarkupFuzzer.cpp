// Any bytes as the credits scroller's lines: the markup reader must return, and never show a
// bracket.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "about/AboutCore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      lines.emplace_back();
    } else {
      lines.back() += static_cast<char>(data[i]);
    }
  }
  for (const nubrix::about::TScrollLine& line : nubrix::about::ParseScrollText(lines)) {
    if (line.Text.find_first_of("[]") != std::string::npos) std::abort();
    if (line.Size && (*line.Size <= 0 || *line.Size >= 1000)) std::abort();
  }
  return 0;
}
