#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QtGlobal>

namespace trovel::widgets {

inline constexpr int WM_USER = 0x400;
// A drive row's box was released; wParam is the row's ID.
inline constexpr QEvent::Type WM_DRIVESELECT = static_cast<QEvent::Type>(WM_USER + 1);  // 1025
// A folder row's action box was released; wParam is the box's catalogue::Operation (1 move,
// 2 copy, 3 delete).
inline constexpr QEvent::Type WM_FOLDERCHECK = static_cast<QEvent::Type>(WM_USER + 2);  // 1026

// A window message carried as a Qt event of the same type number.
class WindowMessage : public QEvent {
public:
    WindowMessage(QEvent::Type message, qintptr w, qintptr l)
        : QEvent(message), wParam(w), lParam(l) {}

    const qintptr wParam;
    const qintptr lParam;
};

// Delivers the message synchronously, like SendMessageW: the handler has run on return.
inline bool SendWindowMessage(QObject* window, QEvent::Type message, qintptr wParam, qintptr lParam) {
    if (window == nullptr) return false;
    WindowMessage event(message, wParam, lParam);
    return QCoreApplication::sendEvent(window, &event);
}

}  // namespace trovel::widgets
