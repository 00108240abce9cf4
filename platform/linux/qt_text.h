#pragma once
// The program's texts are UTF-8 on Linux, as Qt's are.

#include <QString>
#include <string>

namespace velnook {

inline QString ToQt(const std::string& utf8) {
  return QString::fromStdString(utf8);
}
inline std::string FromQt(const QString& s) {
  return s.toStdString();
}

}  // namespace velnook
