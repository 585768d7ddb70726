#include "app/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside of any namespace.
static void InitResourceFile() {
    Q_INIT_RESOURCE(brelvantor);
}

void InitGuiResources() {
    static const bool done = (InitResourceFile(), true);
    (void)done;
}
