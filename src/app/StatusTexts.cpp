#include "app/StatusTexts.h"

namespace nubrix {

QString DirectoriesText(std::int32_t count) {
  return QString::number(count) + QStringLiteral(" Directories");
}

QString ElapsedText(std::chrono::milliseconds elapsed) {
  const long long total = std::max<long long>(0, elapsed.count());
  const long long minutes = total / 60000 % 60;
  const long long seconds = total / 1000 % 60;
  const long long millis = total % 1000;
  return QStringLiteral("  %1:%2:%3 ms")
      .arg(minutes, 2, 10, QLatin1Char('0'))
      .arg(seconds, 2, 10, QLatin1Char('0'))
      .arg(millis, 2, 10, QLatin1Char('0'));
}

}  // namespace nubrix
