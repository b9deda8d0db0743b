#pragma once

#include <functional>

namespace lectorix {

// Work that must be undone when the program ends in the middle of it (a child process to
// stop, working files to remove). A scope registers its clean-up for as long as it runs;
// closing the main window runs every registered clean-up, newest first, before the program
// ends at once.
class EndCleanup
{
public:
    explicit EndCleanup(std::function<void()> cleanup);
    ~EndCleanup();
    EndCleanup(const EndCleanup&) = delete;
    EndCleanup& operator=(const EndCleanup&) = delete;

private:
    int m_id;
};

void runEndCleanups();

} // namespace lectorix
