#include "platform/FreeSpace.h"

#include <sys/statvfs.h>

#include <future>
#include <memory>
#include <thread>

namespace nubrix::platform {

std::optional<std::int64_t> FreeBytesAvailable(const std::string& path, std::chrono::milliseconds timeout) {
  auto promise = std::make_shared<std::promise<std::optional<std::int64_t>>>();
  std::future<std::optional<std::int64_t>> answer = promise->get_future();
  // Detached: if the file system hangs, the thread waits alone and the caller is not held up.
  std::thread([promise, path] {
    struct statvfs info{};
    if (statvfs(path.c_str(), &info) != 0) {
      promise->set_value(std::nullopt);
      return;
    }
    promise->set_value(static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize));
  }).detach();
  if (answer.wait_for(timeout) != std::future_status::ready) return std::nullopt;
  return answer.get();
}

}  // namespace nubrix::platform
