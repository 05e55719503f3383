// Shell services with the meaning of their Win32 counterparts: open and save file dialogs, the
// clipboard's Unicode text and pictures, the notification-area (tray) icon, pop-up menus, the
// named single-instance mutex with the channel through which a later start reaches the running
// one, the system default language id and Qt's own translations, opening link targets, COM
// start and stop.
//
// Test seam: dialogs, clipboard, tray, menus, language and link opening go through a
// ShellProvider. The real one uses Qt (QFileDialog, QClipboard, QSystemTrayIcon, QMenu) and
// xdg-open; SetShellProvider installs another, such as ScriptedShell below, so that tests choose
// files, read the clipboard or click the tray without a display.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi.h"
#include "platform/types.h"
#include "platform/window.h"

namespace platform {

struct RgbImage;

// ---------------------------------------------------------------------------------------------
// File dialogs (GetOpenFileName / GetSaveFileName).

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;
inline constexpr DWORD OFN_ENABLESIZING = 0x00800000;

struct FileFilter {
    std::u16string description;  // "PNG 图片 (*.png)"
    std::u16string pattern;      // "*.png" or "*.bmp;*.jpg"
};

struct OPENFILENAME {
    HWND hwndOwner = nullptr;
    std::vector<FileFilter> filters;
    DWORD nFilterIndex = 1;   // 1-based; in: the filter shown first, out: the one chosen
    std::u16string file;      // in: the initial name; out: the chosen path
    std::u16string initialDir;  // the folder shown first (empty: the working folder)
    std::u16string defExt;    // without the dot; see SaveFileNameWithExtension
    std::u16string title;     // empty: the default title
    DWORD flags = 0;          // OFN_*
};

// Shows the dialog; false when the user cancels. On success ofn->file holds the chosen path.
// For the save dialog the path is SaveFileNameWithExtension's, and with OFN_OVERWRITEPROMPT the
// user has confirmed replacing that file when it exists (declining goes back to the dialog).
// Filter patterns match names in any letter case ("*.jpg" shows IMG_0001.JPG). The dialog is
// Qt's own on every desktop, so that this holds and it speaks the language LoadQtTranslations
// loaded.
bool GetOpenFileName(OPENFILENAME* ofn);
bool GetSaveFileName(OPENFILENAME* ofn);

// The name the save dialog gives for `chosen` when `defExt` is set: a name whose extension is
// one of the filters' ("*.png;*.jpeg" names png and jpeg; compared without regard to case) is
// kept; any other name gets the extension of the chosen filter (1-based `filterIndex`), or
// `defExt` when that filter names none. Without `defExt` the name is kept.
std::u16string SaveFileNameWithExtension(const std::u16string& chosen, const std::vector<FileFilter>& filters,
                                         DWORD filterIndex, const std::u16string& defExt);

// ---------------------------------------------------------------------------------------------
// Clipboard.

// Replaces the clipboard's content by the text (CF_UNICODETEXT). False when the clipboard is
// not available.
bool SetClipboardUnicodeText(HWND owner, std::u16string_view text);
// The clipboard's text; nullopt when it holds none or is not available.
std::optional<std::u16string> GetClipboardUnicodeText();
// The clipboard's picture: image data in any format, or a copied picture file (a file URL
// list). False when it holds none or is not available.
bool GetClipboardPicture(RgbImage& out);
// Replaces the clipboard's content by the picture, offered as PNG (and the other formats Qt
// writes). False when the clipboard is not available.
bool SetClipboardPicture(HWND owner, const RgbImage& picture);
// The picture held by clipboard or drop data: the image data when it reads (PNG, JPEG, GIF and
// BMP read as image files do; other formats through Qt's image readers, within the same size
// limits), else the first local file of the URL list that reads as a picture. False, with
// `out` empty, when there is none.
bool PictureFromMimeData(const MimeData& data, RgbImage& out);

// ---------------------------------------------------------------------------------------------
// Pop-up menus.

struct HMENU__;
using HMENU = HMENU__*;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_SEPARATOR = 0x0800;

HMENU CreatePopupMenu();
// MF_POPUP: `idOrSubmenu` is an HMENU made by CreatePopupMenu, owned by this menu from then on.
bool AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, std::u16string_view text);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// Destroys the menu and its sub-menus.
bool DestroyMenu(HMENU menu);

struct MenuItemInfo {
    UINT id = 0;
    std::u16string text;
    bool separator = false;
    bool disabled = false;
    bool operator==(const MenuItemInfo&) const = default;
};
// The menu's items as a pop-up shows them: items of sub-menus follow their parent item.
std::vector<MenuItemInfo> GetMenuItems(HMENU menu);

inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;
// Shows the menu at screen point (x, y) and waits for a choice. With TPM_RETURNCMD returns the
// chosen command id (0 when dismissed); otherwise posts WM_COMMAND(id) to `owner` and returns
// whether a command was chosen.
int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

// ---------------------------------------------------------------------------------------------
// Tray icon (Shell_NotifyIcon).

inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;
inline constexpr UINT NIF_MESSAGE = 0x01;
inline constexpr UINT NIF_ICON = 0x02;
inline constexpr UINT NIF_TIP = 0x04;
// The icon's own menu (an addition of this platform).
inline constexpr UINT NIF_MENU = 0x100;

struct NOTIFYICONDATA {
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT uFlags = 0;             // which of the fields below NIM_ADD / NIM_MODIFY take
    UINT uCallbackMessage = 0;   // posted to hWnd: wParam = uID, lParam = WM_LBUTTONDBLCLK,
                                 // WM_RBUTTONUP, WM_LBUTTONUP (a single click, or the one
                                 // activation trays of panels send)
    HICON hIcon = nullptr;       // read during the call; the caller keeps it
    std::u16string szTip;        // cut to 127 characters
    // NIF_MENU: the menu the tray shows itself, where and when it asks for the icon's menu (a
    // right click, a panel's menu request); the chosen command is posted to hWnd as
    // WM_COMMAND(id). The callback message then gets no WM_RBUTTONUP. Empty: no own menu.
    std::vector<MenuItemInfo> menu;
};

// NIM_ADD fails (false) where there is no tray or when the icon (hWnd, uID) exists; NIM_MODIFY
// and NIM_DELETE fail for an icon that does not exist. Icons of a destroyed window go away.
bool Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA* data);

// Posts `message` to `hwnd` whenever a tray host appears after the call (on the session bus, a
// panel registers org.kde.StatusNotifierWatcher), as the taskbar's "TaskbarCreated" broadcast
// does, so that a window that found no tray at start can add its icon then. A null `hwnd` ends
// the watch; a later call replaces it.
void WatchTrayHost(HWND hwnd, UINT message);

// ---------------------------------------------------------------------------------------------
// Single instance (CreateMutex with a name).

// An exclusive lock named `name`: a file "<name>.lock" in $XDG_RUNTIME_DIR (else in the temp
// directory, with the user id in its name) held with flock. The lock ends with the object or
// with the process, however it ends, so a crashed instance never blocks the next start.
class NamedMutex {
public:
    explicit NamedMutex(std::u16string_view name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    // The lock is ours.
    bool owned() const { return fd_ >= 0; }
    // Another holder has it (ERROR_ALREADY_EXISTS). When neither owned() nor alreadyExists(),
    // the lock file could not be made: the caller may go on as the only instance.
    bool alreadyExists() const { return alreadyExists_; }
    // The lock file's path.
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    bool alreadyExists_ = false;
    std::string path_;
};

// What a later start asks of the running instance.
enum class InstanceRequest {
    Foreground,  // come forward
    ScanScreen,  // read what is on the screen (and come forward with the result)
};

// The way a later start reaches the running instance: a local socket beside the lock file
// ("<name>.socket" for "<name>.lock"), only for this user. The instance that owns the lock
// listens; a later start that finds the lock taken sends it a request.
class InstanceChannel {
public:
    // Listens beside `mutex`'s lock (which the caller owns); `onRequest` runs in this thread's
    // event loop for every request. listening() is false when the socket cannot be made.
    InstanceChannel(const NamedMutex& mutex, std::function<void(InstanceRequest)> onRequest);
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;
    bool listening() const;

    // Sends `request` to the instance holding `mutex`'s lock. False when it cannot be reached
    // (none listens, or no answer within `timeoutMs`).
    static bool send(const NamedMutex& mutex, InstanceRequest request, int timeoutMs);
    static bool requestForeground(const NamedMutex& mutex, int timeoutMs) {
        return send(mutex, InstanceRequest::Foreground, timeoutMs);
    }

private:
    struct Listener;
    std::unique_ptr<Listener> listener_;
};

// ---------------------------------------------------------------------------------------------
// Language, links, COM.

// The system default language id from the locale (LC_ALL, else LC_MESSAGES, else LANG):
// zh_CN 2052, zh_TW 1028, zh_HK 3076, zh_SG 4100, anything else 1033.
WORD GetSystemDefaultLangID();
// The mapping of a locale name ("zh_CN.UTF-8", "zh_TW", "en_US", "" ...).
WORD LanguageIdFromLocale(std::string_view locale);
// The code page of the locale's character set, from the same locale: kCodePageAnsi (GBK) when it
// is GBK, GB 18030 or GB 2312 ("zh_CN.GBK", "zh_CN.gb18030", "zh_CN.eucCN"), else kCodePageUtf8.
unsigned GetSystemTextCodePage();
unsigned TextCodePageFromLocale(std::string_view locale);
// Loads Qt's own translations (file dialogs and their buttons, the fields' edit menus) for
// `language` ("zh_CN", "en_US": the interface language, platform/translation.h), replacing any
// loaded before. False when there are none for it (the texts stay English).
bool LoadQtTranslations(std::string_view language);

// Opens a link target (URL or path) with the desktop's handler (xdg-open). ShellExecute's
// "open" verb. False when it cannot be started.
bool ShellExecuteOpen(std::u16string_view target);

// COM initialisation for the apartment-threaded model: nothing to do on this platform.
inline constexpr long S_OK = 0;
inline long CoInitialize() { return S_OK; }
inline void CoUninitialize() {}

// ---------------------------------------------------------------------------------------------
// The test seam.

struct FileDialogRequest {
    bool save = false;
    HWND owner = nullptr;
    std::vector<FileFilter> filters;
    DWORD filterIndex = 1;
    std::u16string initialFile;
    std::u16string initialDir;
    std::u16string defExt;
    std::u16string title;
    DWORD flags = 0;
};

class ShellProvider {
public:
    virtual ~ShellProvider() = default;
    // The chosen path (and the 1-based filter index in *filterIndex), or false on cancel. The
    // provider asks no overwrite question: GetSaveFileName asks confirmOverwrite about the
    // name it ends up with.
    virtual bool fileDialog(const FileDialogRequest& request, std::u16string& chosen, DWORD* filterIndex) = 0;
    // The save dialog's question whether the existing file `path` may be replaced.
    virtual bool confirmOverwrite(HWND owner, const std::u16string& path) = 0;
    virtual bool setClipboardText(std::u16string_view text) = 0;
    virtual std::optional<std::u16string> clipboardText() = 0;
    virtual bool setClipboardPicture(const RgbImage& picture) = 0;
    virtual bool clipboardPicture(RgbImage& out) = 0;
    // The tray icon of (hwnd, id) appears, changes or goes; false when there is no tray. The
    // icon's own menu, when it has one, is the provider's to show.
    virtual bool trayShow(const NOTIFYICONDATA& icon) = 0;
    virtual void trayRemove(HWND hwnd, UINT id) = 0;
    // Posts `message` to `hwnd` when a tray host appears; a null hwnd ends the watch.
    virtual void watchTrayHost(HWND hwnd, UINT message) = 0;
    // The chosen command id of a top-level pop-up menu, 0 when dismissed. Items of sub-menus
    // are listed after their parent item, flattened.
    virtual UINT popupMenu(const std::vector<MenuItemInfo>& items, POINT at, HWND owner) = 0;
    // The locale name, as in $LANG.
    virtual std::string localeName() = 0;
    // The list of languages the user prefers, as in $LANGUAGE ("de:en_GB"); empty when unset.
    virtual std::string languageList() = 0;
    virtual bool openTarget(std::u16string_view target) = 0;
};

// Installs a provider (null: the real one). The caller keeps it alive while installed.
void SetShellProvider(ShellProvider* provider);
ShellProvider& CurrentShellProvider();

// A provider answering from scripts, for tests.
class ScriptedShell : public ShellProvider {
public:
    struct DialogAnswer {
        bool accept = true;
        std::u16string path;
        DWORD filterIndex = 1;
    };
    // Answers for the next dialogs, in order; with none left a dialog is cancelled.
    std::deque<DialogAnswer> dialogAnswers;
    // The requests the dialogs were shown with.
    std::vector<FileDialogRequest> dialogRequests;
    // Answers to the overwrite questions, in order; with none left the answer is yes.
    std::deque<bool> overwriteAnswers;
    // The files the overwrite questions were about.
    std::vector<std::u16string> overwriteQuestions;

    // The clipboard: its text, or the formats of anything else (a picture set here is PNG
    // bytes under "image/png"); setting one empties the other. clipboardAvailable = false makes
    // every clipboard call fail.
    bool clipboardAvailable = true;
    std::optional<std::u16string> clipboard;
    MimeData clipboardData;

    // The tray; trayAvailable = false makes NIM_ADD fail.
    bool trayAvailable = true;
    std::vector<NOTIFYICONDATA> trayIcons;
    // The icon of (hwnd, id), or null.
    const NOTIFYICONDATA* findTrayIcon(HWND hwnd, UINT id) const;
    // A click on the icon: posts its callback message (WM_LBUTTONUP, WM_LBUTTONDBLCLK,
    // WM_RBUTTONUP), except that WM_RBUTTONUP on an icon with its own menu shows that menu as
    // popupMenu does and posts the chosen command.
    bool clickTray(HWND hwnd, UINT id, UINT mouseMessage);
    // The watch WatchTrayHost set (null hwnd: none), and a tray host appearing: sets
    // trayAvailable and posts the watch's message. False without a watch.
    HWND trayHostWatchWindow = nullptr;
    UINT trayHostWatchMessage = 0;
    bool trayHostAppears();

    // Menu choices for the next pop-up menus, in order (0 dismisses); with none left, dismissed.
    std::deque<UINT> menuChoices;
    // The items each pop-up menu was shown with.
    std::vector<std::vector<MenuItemInfo>> menusShown;

    std::string locale = "zh_CN.UTF-8";
    std::string languages;
    std::vector<std::u16string> openedTargets;

    bool fileDialog(const FileDialogRequest& request, std::u16string& chosen, DWORD* filterIndex) override;
    bool confirmOverwrite(HWND owner, const std::u16string& path) override;
    bool setClipboardText(std::u16string_view text) override;
    std::optional<std::u16string> clipboardText() override;
    bool setClipboardPicture(const RgbImage& picture) override;
    bool clipboardPicture(RgbImage& out) override;
    bool trayShow(const NOTIFYICONDATA& icon) override;
    void trayRemove(HWND hwnd, UINT id) override;
    void watchTrayHost(HWND hwnd, UINT message) override;
    UINT popupMenu(const std::vector<MenuItemInfo>& items, POINT at, HWND owner) override;
    std::string localeName() override;
    std::string languageList() override;
    bool openTarget(std::u16string_view target) override;
};

}  // namespace platform
