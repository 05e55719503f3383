#include "app/TALVORINEXModule.h"

#include <cstdio>

#include "app/MainWnd.h"
#include "app/UIMsgBox.h"
#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkcontrols.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "platform/shell.h"
#include "platform/translation.h"

namespace {

constexpr unsigned kStringTable = 102;
constexpr unsigned kSkins = 100;
constexpr unsigned kStyles = 101;
constexpr int kDefaultFontHeight = -12;
constexpr int kForegroundRequestTimeoutMs = 2000;

}  // namespace

int CTALVORINEXModule::LanguageFromLangId(WORD langId) {
    switch (langId) {
    case 2052:
        return 0;
    case 1028:
    case 3076:
    case 4100:
        return 1;
    default:
        return 2;
    }
}

bool CTALVORINEXModule::LoadResources() {
    BkControls::RegisterAll();
    bool ok = BkString::Load(kStringTable);
    const std::u16string* face = BkString::Get(kStrFontFace);
    BkFontPool::SetDefaultFont(face ? *face : std::u16string(), kDefaultFontHeight);
    ok = BkSkinPool::Load(kSkins) && ok;
    ok = BkStylePool::Load(kStyles) && ok;
    return ok;
}

void CTALVORINEXModule::ShowAlreadyRunning() {
    const std::u16string* text = BkString::Get(kStrAlreadyRunning);
    CBkSafeMsgBox2 box;
    m_pAlreadyRunningBox = &box;
    box.ShowLines(text ? *text : std::u16string(), u"", kAlreadyRunningStyle, nullptr, nullptr);
    m_pAlreadyRunningBox = nullptr;
}

int CTALVORINEXModule::Run() {
    m_nLanguage = LanguageFromLangId(platform::GetSystemDefaultLangID());
    // The interface's catalogue, and Qt's own dialogs and menus in the same language.
    platform::LoadTranslations();
    if (!LoadResources()) std::fputs("Merovask: some resources did not load\n", stderr);

    // Held until the run ends; a lock that cannot be made at all does not stop the program.
    platform::NamedMutex instance(kInstanceMutexName);
    if (instance.alreadyExists() && m_bScanScreen) {
        if (platform::InstanceChannel::send(instance, platform::InstanceRequest::ScanScreen, kForegroundRequestTimeoutMs))
            return 0;
        std::fputs("Merovask: the running program cannot be reached\n", stderr);
        m_bRequestUnanswered = true;
        return 0;
    }
    if (instance.alreadyExists()) {
        ShowAlreadyRunning();
        // Then the running instance comes forward; one that cannot be reached changes nothing.
        platform::InstanceChannel::requestForeground(instance, kForegroundRequestTimeoutMs);
        return 0;
    }

    CTALVORINEXMainWnd mainWnd;
    // A later start asks this one to come forward.
    platform::InstanceChannel channel(instance, [&mainWnd](platform::InstanceRequest request) {
        if (!mainWnd.GetHWnd()) return;
        if (request == platform::InstanceRequest::ScanScreen) {
            mainWnd.ScanScreen();
        } else {
            mainWnd.BringToFront();
        }
    });
    if (m_bScanScreen) mainWnd.ScanScreenOnShow();
    return mainWnd.DoModal(nullptr);
}
