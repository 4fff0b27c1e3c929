#pragma once
// The one pair of conversions between the core's Windows-1252 text and the
// widgets' QString.
#include <QString>
#include <string>
#include <string_view>

#include "core/Text1252.h"

namespace voxmire {

inline QString ToQt(std::string_view cp1252) {
  return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

inline std::string FromQt(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

}  // namespace voxmire
