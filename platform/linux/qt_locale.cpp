#include "platform/linux/qt_locale.h"

#include <QLocale>

#include "platform/linux/qt_text.h"

namespace velnook {

LocaleInfo SystemLocale() {
  LocaleInfo info;
  QLocale locale = QLocale::system();
  const QString point = locale.decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 128) info.decimalSeparator = point[0].toLatin1();
  for (int m = 1; m <= 12; ++m) {
    // Three letters, without the full stop some locales add.
    QString name = locale.monthName(m, QLocale::ShortFormat).remove('.').left(3);
    if (!name.isEmpty()) info.monthAbbreviations[static_cast<size_t>(m - 1)] = FromQt(name);
  }
  const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
  if (!shortDate.isEmpty()) info.shortDatePattern = FromQt(shortDate);
  return info;
}

}  // namespace velnook
