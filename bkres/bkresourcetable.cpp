#include "bkres/bkresourcetable.h"

const BkResourceEntry* BkResourceTable::Find(std::string_view type, unsigned id) const {
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].id == id && type == entries[i].type) return &entries[i];
    }
    return nullptr;
}
