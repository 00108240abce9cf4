#pragma once
// Turning the program's Windows-1252 texts into Qt's and back.

#include <QString>
#include <string>

#include "platform/text_encoding.h"

namespace velnook {

inline QString ToQt(const std::string& cp1252) {
  return QString::fromStdString(Cp1252ToUtf8(cp1252));
}
inline std::string FromQt(const QString& s) {
  return Utf8ToCp1252(s.toStdString());
}

}  // namespace velnook
