#include "ui/LockKeys.h"

#include <QGuiApplication>

#ifdef BRELVANTOR_HAVE_X11
#include <X11/XKBlib.h>
#endif

std::optional<SLockKeys> QueryLockKeys() {
#ifdef BRELVANTOR_HAVE_X11
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        unsigned state = 0;
        if (x11->display() != nullptr &&
            XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) == Success)
            return SLockKeys{(state & 1u) != 0, (state & 2u) != 0};
    }
#endif
    return std::nullopt;
}
