// The process-wide icon pool: icon resources by id and size, each made once and shared.
#pragma once

#include <map>
#include <utility>

#include "platform/gdi.h"

class BkIconPool {
public:
    // Icon resource `id` resampled to size x size pixels (size 0: its own size); none when
    // the resource is missing or does not decode (tried again on the next request).
    static platform::HICON GetIcon(unsigned id, int size = 0);

private:
    BkIconPool() = default;
    ~BkIconPool();
    static BkIconPool& Instance();
    std::map<std::pair<unsigned, int>, platform::HICON> m_mapIcons;
};
