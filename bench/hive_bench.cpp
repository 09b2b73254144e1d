// Clearing the values of one registry key in a large Wine hive, as the traces page does: in one
// change of the hive against one change per value, on real files, alternating; medians.
//   nubrix-hive-bench [VALUES] [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cleaners/TraceCleaning.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"

namespace {

constexpr std::string_view kKey = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";

// About 4 MB of keys, as a long-used prefix has, and the key with its values near the end.
void WriteHive(const std::string& file, int values) {
  std::ofstream out(file, std::ios::binary);
  out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n";
  for (int key = 0; key < 40000; ++key) {
    out << "[Software\\\\Vendor" << key % 97 << "\\\\Product" << key << "] 1700000000\n"
        << "#time=1d9a0b0c0d0e0f0\n\"Path\"=\"C:\\\\Program Files\\\\Product " << key
        << "\"\n\"Version\"=dword:00000001\n\n";
  }
  out << "[Software\\\\Microsoft\\\\MediaPlayer\\\\Player\\\\RecentFileList] 1700000000\n";
  for (int value = 0; value < values; ++value)
    out << "\"File" << value << "\"=\"C:\\\\Music\\\\song " << value << ".mp3\"\n";
}

double Seconds(const std::chrono::steady_clock::time_point& started) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// The way the page cleared them before: every value its own change of the hive.
int ClearOneByOne(nubrix::platform::IRegistryStore& store) {
  nubrix::platform::TRegistry registry(store);
  registry.SetRootKey(nubrix::platform::kHkeyCurrentUser);
  if (!registry.OpenKey(kKey)) return 0;
  int deleted = 0;
  for (const std::string& name : registry.GetValueNames()) deleted += registry.DeleteValue(name);
  return deleted;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int values = argc > 1 ? std::atoi(argv[1]) : 25;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string prefix =
      (std::filesystem::temp_directory_path() / "nubrix-hive-bench").string();
  std::filesystem::create_directories(prefix);
  std::vector<double> together;
  std::vector<double> apart;
  for (int round = 0; round < rounds; ++round) {
    for (const bool oneChange : {true, false}) {
      WriteHive(prefix + "/user.reg", values);
      nubrix::platform::TWineRegistry store(prefix, prefix + "/no-server");
      const auto started = std::chrono::steady_clock::now();
      const int cleared =
          oneChange ? nubrix::ClearKeyValues(store, nubrix::platform::kHkeyCurrentUser, kKey)
                    : ClearOneByOne(store);
      (oneChange ? together : apart).push_back(Seconds(started));
      if (cleared != values) std::fprintf(stderr, "cleared %d of %d values\n", cleared, values);
    }
  }
  const auto size = std::filesystem::file_size(prefix + "/user.reg");
  std::filesystem::remove_all(prefix);
  std::printf("%d values of a %.1f MB user.reg, medians of %d rounds\n", values,
              static_cast<double>(size) / 1048576.0, rounds);
  std::printf("| one change of the hive | %.3f s |\n| one change per value | %.3f s |\n",
              Median(together), Median(apart));
  return 0;
}
