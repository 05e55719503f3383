// The process-wide PNG pool: "png" resources by id, decoded once with their transparency, at
// the screen's scale of the time (BkResUtil::LoadPngResource).
#pragma once

#include <map>

#include "platform/gdi.h"

class BkPngPool {
public:
    // The image of `id`, decoded on first request; none when the resource is missing or does
    // not decode (tried again on the next request).
    static platform::HIMAGE GetImage(unsigned id);

private:
    BkPngPool() = default;
    ~BkPngPool();
    static BkPngPool& Instance();
    std::map<unsigned, platform::HIMAGE> m_mapImages;
};
