#include "views/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterProgramResources() { Q_INIT_RESOURCE(vantix); }

namespace vantix {

QString ResourcePath(int id) {
    // The resources live in a static library: register them before the
    // first look-up, once.
    static const bool registered = (RegisterProgramResources(), true);
    (void)registered;
    return QStringLiteral(":/vantix/%1.png").arg(id);
}

} // namespace vantix
