// The framework manager: records the skinned window that is currently in front (modal loops use
// it as the default owner of the next one) and owns the draw lock that every render into a
// host's back buffer holds. The program makes one at start-up and keeps it for the whole run.
#pragma once

#include <mutex>

#include "bkres/bkplatform.h"

class BkWinManager {
public:
    BkWinManager();
    ~BkWinManager();
    BkWinManager(const BkWinManager&) = delete;
    BkWinManager& operator=(const BkWinManager&) = delete;

    // The manager made by the program, or nullptr.
    static BkWinManager* GetInstance();

    // The current skinned window (nullptr without a manager).
    static HWND GetActive();
    // Makes `hwnd` the current window and returns the previous one (nothing without a manager).
    static HWND SetActive(HWND hwnd);

    // Taken around one render; no-ops without a manager.
    static void EnterPaintLock();
    static void LeavePaintLock();

private:
    HWND m_hWndActive = nullptr;
    std::recursive_mutex m_csPaint;
};

// Holds the draw lock for a scope.
class BkPaintLockGuard {
public:
    BkPaintLockGuard() { BkWinManager::EnterPaintLock(); }
    ~BkPaintLockGuard() { BkWinManager::LeavePaintLock(); }
    BkPaintLockGuard(const BkPaintLockGuard&) = delete;
    BkPaintLockGuard& operator=(const BkPaintLockGuard&) = delete;
};
