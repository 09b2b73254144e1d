#include "app/History.h"

#include <QString>

#include <algorithm>

namespace nubrix {

bool THistoryList::SameFolder(const std::string& a, const std::string& b) {
  const QString left = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
  const QString right = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
  // Names that are not valid UTF-8 would all look alike once decoded: compare their bytes.
  if (left.contains(QChar::ReplacementCharacter) || right.contains(QChar::ReplacementCharacter)) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }
  return left.compare(right, Qt::CaseInsensitive) == 0;
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
  const bool listed = std::any_of(Entries_.begin(), Entries_.end(),
                                  [&](const std::string& entry) { return SameFolder(entry, text); });
  if (!listed) Entries_.push_back(text);
}

void THistoryList::Remove(std::size_t index) {
  if (index < Entries_.size()) Entries_.erase(Entries_.begin() + static_cast<long>(index));
}

}  // namespace nubrix
