#include "settings/History.h"

#include <glib.h>

#include <algorithm>

namespace nubrix {

namespace {

// Text compared without regard to case: both sides case-folded by Unicode's rules.
bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  gchar* left = g_utf8_casefold(a.data(), static_cast<gssize>(a.size()));
  gchar* right = g_utf8_casefold(b.data(), static_cast<gssize>(b.size()));
  const bool same = std::string_view(left) == std::string_view(right);
  g_free(left);
  g_free(right);
  return same;
}

}  // namespace

bool THistoryList::SameFolder(const std::string& a, const std::string& b) {
  // Names that are not valid UTF-8 would all look alike once decoded: compare their bytes.
  const bool text = g_utf8_validate(a.data(), static_cast<gssize>(a.size()), nullptr) &&
                    g_utf8_validate(b.data(), static_cast<gssize>(b.size()), nullptr);
  if (text) return SameTextIgnoringCase(a, b);
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

void THistoryList::Trim(int size, std::mt19937& random) {
  const int count = static_cast<int>(Entries_.size());
  if (size >= count - 1) return;
  std::uniform_int_distribution<int> pick(0, count - 2);
  Entries_.erase(Entries_.begin() + pick(random));
}

void THistoryList::Add(const std::string& text, int size, std::mt19937& random) {
  if (text.empty()) return;
  if (size > 0) Trim(size, random);
  const bool listed = std::any_of(Entries_.begin(), Entries_.end(), [&](const std::string& entry) {
    return SameFolder(entry, text);
  });
  if (!listed) Entries_.push_back(text);
}

void THistoryList::Remove(std::size_t index) {
  if (index < Entries_.size()) Entries_.erase(Entries_.begin() + static_cast<long>(index));
}

}  // namespace nubrix
