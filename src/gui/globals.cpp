#include "gui/globals.h"

namespace lectorix {

Globals& globals()
{
    static Globals instance;
    return instance;
}

} // namespace lectorix
