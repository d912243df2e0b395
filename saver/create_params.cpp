#include "saver/create_params.h"

#include <mutex>
#include <set>

namespace {

// Creators may run on several windows' threads at once (previews of a
// loaded library), so the set of outstanding records is locked.
std::mutex &OutstandingLock()
{
    static std::mutex lock;
    return lock;
}

std::set<void *> &Outstanding()
{
    static std::set<void *> records;
    return records;
}

} // namespace

SaverCreateParams *NewSaverCreateParams(LONG mode)
{
    auto *record = new SaverCreateParams{0, mode};
    std::lock_guard<std::mutex> guard(OutstandingLock());
    Outstanding().insert(record);
    return record;
}

void DeleteSaverCreateParams(void *record)
{
    if (!record)
        return;
    {
        std::lock_guard<std::mutex> guard(OutstandingLock());
        if (Outstanding().erase(record) == 0)
            return;
    }
    delete static_cast<SaverCreateParams *>(record);
}
