// A deliberately plain scan for comparison: sequential, recursive, by path, two passes as the
// rules are written (walk the folders, then list each folder's files again).
#pragma once

#include <string>

namespace nubrix::test {

// The --list form ("own TAB sub TAB path" per folder, pre-order) of scanning path, which ends
// in "/". Mount points below path are left out.
std::string ReferenceListing(const std::string& path);

}  // namespace nubrix::test
