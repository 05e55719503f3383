// The process-wide element-handle registry: handles are positive numbers given out in
// sequence from 1; elements refer to each other (parent, hover, pushed) only by handle, so a
// destroyed element's handle resolves to nothing. One lock guards every lookup, registration
// and removal, and the radio-box group table kept beside the handles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CBkWindow;

using BKWND = uint32_t;
using HBKWND = BKWND;

class BkWnds {
public:
    static BKWND NewHandle(CBkWindow* element);
    static CBkWindow* GetWindow(BKWND handle);   // nullptr for 0 and for released handles
    static void DestroyHandle(BKWND handle);
    static std::size_t Count();

    // Radio-box groups by name.
    static void JoinGroup(const std::string& group, BKWND handle);
    static void LeaveGroup(const std::string& group, BKWND handle);
    static std::vector<BKWND> GroupMembers(const std::string& group);  // a copy taken under the lock
    static void RegisterRadioGroup(const std::string& group, BKWND handle) { JoinGroup(group, handle); }
    static void UnregisterRadioGroup(const std::string& group, BKWND handle) { LeaveGroup(group, handle); }
    static std::vector<BKWND> GetRadioGroup(const std::string& group) { return GroupMembers(group); }
};
