#include "bkres/bkpngpool.h"

#include "bkres/bkresutil.h"

BkPngPool::~BkPngPool() {
    for (auto& [id, image] : m_mapImages) platform::DeleteImage(image);
}

BkPngPool& BkPngPool::Instance() {
    static BkPngPool pool;
    return pool;
}

platform::HIMAGE BkPngPool::GetImage(unsigned id) {
    BkPngPool& pool = Instance();
    auto it = pool.m_mapImages.find(id);
    if (it != pool.m_mapImages.end()) return it->second;
    platform::HIMAGE image = BkResUtil::LoadPngResource(id);
    if (!image) return nullptr;
    pool.m_mapImages[id] = image;
    return image;
}
