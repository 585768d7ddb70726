#pragma once
// A version posted to the main window by a check thread: four 16-bit parts in
// two 32-bit arguments (first | second << 16, third | fourth << 16), the form
// the window's notice slots take.
#include <QMetaObject>
#include <QObject>
#include <cstdint>

#include "model/Version.h"

namespace UpdatePost {

// Queues `slot`(first, second) on `target`'s thread.
inline void PostVersion(QObject* target, const char* slot, CVersion v) {
    const quint32 first = v.Major() | (static_cast<quint32>(v.Minor()) << 16);
    const quint32 second = v.Build() | (static_cast<quint32>(v.Revision()) << 16);
    QMetaObject::invokeMethod(target, slot, Qt::QueuedConnection, Q_ARG(quint32, first),
                              Q_ARG(quint32, second));
}

inline CVersion UnpackVersion(quint32 first, quint32 second) {
    return CVersion(static_cast<std::uint16_t>(first & 0xFFFF), static_cast<std::uint16_t>(first >> 16),
                    static_cast<std::uint16_t>(second & 0xFFFF), static_cast<std::uint16_t>(second >> 16));
}

}  // namespace UpdatePost
