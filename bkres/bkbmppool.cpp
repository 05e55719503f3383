#include "bkres/bkbmppool.h"

#include "bkres/bkresutil.h"

BkBmpPool::~BkBmpPool() {
    for (auto& [id, bitmap] : m_mapBitmaps) platform::DeleteObject(bitmap);
}

BkBmpPool& BkBmpPool::Instance() {
    static BkBmpPool pool;
    return pool;
}

platform::HBITMAP BkBmpPool::GetBitmap(unsigned id) {
    BkBmpPool& pool = Instance();
    auto it = pool.m_mapBitmaps.find(id);
    if (it != pool.m_mapBitmaps.end()) return it->second;
    platform::HBITMAP bitmap = BkResUtil::LoadBmpResource(id);
    if (bitmap) pool.m_mapBitmaps[id] = bitmap;
    return bitmap;
}
