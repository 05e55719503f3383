#include "bkwin/bkwinmanager.h"

namespace {

BkWinManager* g_manager = nullptr;

}  // namespace

BkWinManager::BkWinManager() {
    if (!g_manager) g_manager = this;
}

BkWinManager::~BkWinManager() {
    if (g_manager == this) g_manager = nullptr;
}

BkWinManager* BkWinManager::GetInstance() { return g_manager; }

HWND BkWinManager::GetActive() { return g_manager ? g_manager->m_hWndActive : nullptr; }

HWND BkWinManager::SetActive(HWND hwnd) {
    if (!g_manager) return nullptr;
    HWND previous = g_manager->m_hWndActive;
    g_manager->m_hWndActive = hwnd;
    return previous;
}

void BkWinManager::EnterPaintLock() {
    if (g_manager) g_manager->m_csPaint.lock();
}

void BkWinManager::LeavePaintLock() {
    if (g_manager) g_manager->m_csPaint.unlock();
}
