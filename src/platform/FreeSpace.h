// How much room the user has left on the file system that holds a folder.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace nubrix::platform {

// Free bytes available to the user (statvfs f_bavail * f_frsize); nullopt when unknown or when
// the file system does not answer within timeout (a dead network mount: the caller goes on).
std::optional<std::int64_t> FreeBytesAvailable(const std::string& path,
                                               std::chrono::milliseconds timeout = std::chrono::milliseconds(500));

}  // namespace nubrix::platform
