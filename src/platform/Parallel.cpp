#include "platform/Parallel.h"

#include <cstdlib>

int workerCount()
{
    static const int count = [] {
        if (const char* env = std::getenv("ARBOLIX_THREADS")) {
            int n = std::atoi(env);
            if (n >= 1)
                return std::min(n, 64);
        }
        unsigned hw = std::thread::hardware_concurrency();
        return hw == 0 ? 1 : static_cast<int>(std::min(hw, 64u));
    }();
    return count;
}
