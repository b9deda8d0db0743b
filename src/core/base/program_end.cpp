#include "core/base/program_end.h"

#include <map>

namespace lectorix {

namespace {
std::map<int, std::function<void()>>& registry()
{
    static std::map<int, std::function<void()>> cleanups;
    return cleanups;
}
int g_nextId = 0;
} // namespace

EndCleanup::EndCleanup(std::function<void()> cleanup) : m_id(++g_nextId)
{
    registry().emplace(m_id, std::move(cleanup));
}

EndCleanup::~EndCleanup()
{
    registry().erase(m_id);
}

void runEndCleanups()
{
    auto& cleanups = registry();
    while (!cleanups.empty()) {
        auto last = std::prev(cleanups.end());
        auto cleanup = std::move(last->second);
        cleanups.erase(last);
        try {
            cleanup();
        } catch (...) {
            // Ending anyway: one failed clean-up must not keep the others from running.
        }
    }
}

} // namespace lectorix
