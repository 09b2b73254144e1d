// How much room the user has left on the file system that holds a folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nubrix::platform {

// Free bytes available to the user (statvfs f_bavail * f_frsize); nullopt when unknown and for a
// network file system, which is never asked (its server may not answer).
std::optional<std::int64_t> FreeBytesAvailable(const std::string& path);

}  // namespace nubrix::platform
