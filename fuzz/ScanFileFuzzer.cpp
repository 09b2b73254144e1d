// Any bytes through the scan file reader, as a file it was given to open.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "scanfile/ScanImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = memfd_create("scan", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (write(fd, data, size) == static_cast<ssize_t>(size) && lseek(fd, 0, SEEK_SET) == 0) {
    nubrix::TScanFile scan;
    nubrix::ImportScan(fd, scan);
  }
  close(fd);
  return 0;
}
