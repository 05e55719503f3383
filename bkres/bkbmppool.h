// The process-wide bitmap pool: bitmap resources by id, each loaded once and shared.
#pragma once

#include <map>

#include "platform/gdi.h"

class BkBmpPool {
public:
    // The bitmap of `id`, loaded on first request; none when it cannot be loaded (a failed id
    // is tried again on the next request).
    static platform::HBITMAP GetBitmap(unsigned id);

private:
    BkBmpPool() = default;
    ~BkBmpPool();
    static BkBmpPool& Instance();
    std::map<unsigned, platform::HBITMAP> m_mapBitmaps;
};
