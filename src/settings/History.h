// The folder history: the folders scanned, oldest first, as the history box lists them.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace nubrix {

class THistoryList {
 public:
  const std::vector<std::string>& Entries() const { return Entries_; }
  void Assign(std::vector<std::string> entries) { Entries_ = std::move(entries); }

  // Trims (when size > 0), then appends text unless a folder of that name, regardless of case,
  // is listed already. Nothing for an empty text.
  void Add(const std::string& text, int size, std::mt19937& random);
  // With size < count - 1, removes one entry other than the newest, drawn at random.
  void Trim(int size, std::mt19937& random);
  void Remove(std::size_t index);
  void Clear() { Entries_.clear(); }

  static bool SameFolder(const std::string& a, const std::string& b);

 private:
  std::vector<std::string> Entries_;
};

}  // namespace nubrix
