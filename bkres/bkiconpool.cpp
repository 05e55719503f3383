#include "bkres/bkiconpool.h"

#include "bkres/bkresutil.h"

BkIconPool::~BkIconPool() {
    for (auto& [key, icon] : m_mapIcons) platform::DestroyIcon(icon);
}

BkIconPool& BkIconPool::Instance() {
    static BkIconPool pool;
    return pool;
}

platform::HICON BkIconPool::GetIcon(unsigned id, int size) {
    BkIconPool& pool = Instance();
    auto it = pool.m_mapIcons.find(std::make_pair(id, size));
    if (it != pool.m_mapIcons.end()) return it->second;
    platform::HICON icon = BkResUtil::LoadIconResource(id, size);
    if (icon) pool.m_mapIcons[std::make_pair(id, size)] = icon;
    return icon;
}
