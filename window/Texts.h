#pragma once
// Catalogue texts as QString for the widgets.

#include <QString>
#include <string_view>

#include "base/Messages.h"

namespace q7k3 {

inline QString Cap(std::string_view window, std::string_view control) {
    return QString::fromStdString(Caption(window, control));
}

inline QString M(int number) { return QString::fromStdString(Msg(number)); }

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

}  // namespace q7k3
