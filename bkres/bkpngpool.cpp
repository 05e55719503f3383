#include "bkres/bkpngpool.h"

#include <cstdio>

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
    std::string bytes;
    if (!BkResUtil::LoadRawResource(id, "png", bytes)) return nullptr;
    platform::HIMAGE image = platform::CreateImageFromPng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!image) {
        std::fprintf(stderr, "Failed decoding png %u\n", id);
        return nullptr;
    }
    pool.m_mapImages[id] = image;
    return image;
}
