// The texts of the scan in the status bar.
#pragma once

#include <QString>
#include <chrono>
#include <cstdint>

namespace nubrix {

inline const QString kCountingFolders = QStringLiteral("Counting folders");
inline const QString kCalculateSize = QStringLiteral("Calculate Size");

// "1234 Directories"
QString DirectoriesText(std::int32_t count);

// Two blanks, minutes and seconds of two digits, milliseconds of at least two, " ms":
// 7.083 s gives "  00:07:83 ms", 65.5 s "  01:05:500 ms". Hours are not shown.
QString ElapsedText(std::chrono::milliseconds elapsed);

}  // namespace nubrix
