#pragma once

#include <QString>

#include <initializer_list>
#include <cstddef>

#include "platform/messages.h"

namespace trovel::widgets {

// The window's texts as Qt holds them, looked up in the catalogue the program speaks
// (the extraction tool finds them by these names too).
inline QString QTr(const char* english) { return QString::fromUtf8(platform::Tr(english)); }
inline QString QTrN(const char* singular, const char* plural, unsigned long count) {
    return QString::fromUtf8(platform::TrN(singular, plural, count));
}

// Fill for the window: the values in place of %1 … %9 of a translated pattern, inserted as they
// are (a path holding "%1" is not expanded again).
inline QString QFill(const QString& pattern, std::initializer_list<QString> values) {
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1].unicode() - u'1');
            if (index < values.size()) {
                text += *(values.begin() + index);
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

}  // namespace trovel::widgets
