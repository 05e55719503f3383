#include "bkwin/bkwnds.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

struct Registry {
    std::mutex lock;
    BKWND next = 1;
    std::unordered_map<BKWND, CBkWindow*> windows;
    std::map<std::string, std::vector<BKWND>> groups;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

BKWND BkWnds::NewHandle(CBkWindow* element) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    BKWND handle = r.next++;
    if (r.next == 0) r.next = 1;  // after 2^32 - 1 handles, wrap past the "none" handle
    r.windows[handle] = element;
    return handle;
}

CBkWindow* BkWnds::GetWindow(BKWND handle) {
    if (handle == 0) return nullptr;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.windows.find(handle);
    return it == r.windows.end() ? nullptr : it->second;
}

void BkWnds::DestroyHandle(BKWND handle) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.windows.erase(handle);
}

std::size_t BkWnds::Count() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.windows.size();
}

void BkWnds::JoinGroup(const std::string& group, BKWND handle) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto& members = r.groups[group];
    if (std::find(members.begin(), members.end(), handle) == members.end()) members.push_back(handle);
}

void BkWnds::LeaveGroup(const std::string& group, BKWND handle) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.groups.find(group);
    if (it == r.groups.end()) return;
    std::erase(it->second, handle);
    if (it->second.empty()) r.groups.erase(it);
}

std::vector<BKWND> BkWnds::GroupMembers(const std::string& group) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.groups.find(group);
    return it == r.groups.end() ? std::vector<BKWND>{} : it->second;
}
