// The application module: the framework manager for the whole run, the interface language, the
// resources loaded into the pools, the single-instance check and the main window's modal run.
#pragma once

#include "bkres/bkplatform.h"
#include "bkwin/bkwinmanager.h"

class CBkSafeMsgBox;

class CTALVORINEXModule {
public:
    // The single-instance lock's name and the exit code of a second start.
    static constexpr const char16_t* kInstanceMutexName = u"TALVORINEX_ONEINSTANCE_MUTEX";
    // String-pool entries: the default font face, the product name, the maker, "already running".
    static constexpr unsigned kStrFontFace = 0;
    static constexpr unsigned kStrProductName = 1;
    static constexpr unsigned kStrMaker = 2;
    static constexpr unsigned kStrAlreadyRunning = 1000;
    // Style of the "already running" box: one OK button and the error icon.
    static constexpr UINT kAlreadyRunningStyle = 16;

    CTALVORINEXModule() = default;
    CTALVORINEXModule(const CTALVORINEXModule&) = delete;
    CTALVORINEXModule& operator=(const CTALVORINEXModule&) = delete;

    // The language index for a system default language id: 0 Simplified Chinese (2052),
    // 1 Traditional Chinese (1028, 3076, 4100), 2 anything else.
    static int LanguageFromLangId(WORD langId);

    // Registers the controls and loads strings, the base font, skins and styles into the pools.
    // Every language loads the one string table, so the interface reads the same everywhere.
    // False when a resource is missing (the program then runs with what loaded).
    static bool LoadResources();

    // The whole run: language (with Qt's own translations), resources, the single-instance
    // check (a second start shows the "already running" box, asks the running instance to come
    // forward and returns 0), then the main window's modal loop; returns its result.
    int Run();
    // Makes Run read the screen (merovask --scan-screen): a second start asks the running
    // instance to, without the box, and returns 0 at once; a first start scans as soon as its
    // window is up.
    void ScanScreenOnStart() { m_bScanScreen = true; }
    // A second start whose request the running instance did not take (the process then ends
    // with status 1).
    bool RequestUnanswered() const { return m_bRequestUnanswered; }

    int GetLanguage() const { return m_nLanguage; }
    // The "already running" box while it is on show (null otherwise): for tests.
    CBkSafeMsgBox* AlreadyRunningBox() const { return m_pAlreadyRunningBox; }

private:
    void ShowAlreadyRunning();

    BkWinManager m_winManager;
    int m_nLanguage = 2;
    CBkSafeMsgBox* m_pAlreadyRunningBox = nullptr;
    bool m_bScanScreen = false;
    bool m_bRequestUnanswered = false;
};
