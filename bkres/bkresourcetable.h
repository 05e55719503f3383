// A table of resources compiled into a program or a resource module: bytes by type and id.
#pragma once

#include <cstddef>
#include <string_view>

struct BkResourceEntry {
    const char* type;            // "xml", "png", "bmp" or "icon"
    unsigned id;
    const unsigned char* data;   // followed by one zero byte that `size` does not count
    std::size_t size;
};

struct BkResourceTable {
    const BkResourceEntry* entries = nullptr;
    std::size_t count = 0;

    // The entry of that type and id, or nullptr.
    const BkResourceEntry* Find(std::string_view type, unsigned id) const;
};

// The resources of this program, generated at build time from the files in res/.
const BkResourceTable& BkProgramResources();
