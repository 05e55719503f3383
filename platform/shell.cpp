// Shell services: dialogs, clipboard, tray, menus, single instance, language, links.
#include "platform/shell.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSystemTrayIcon>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/qt/window_internal.h"
#include "platform/text.h"

namespace platform {

struct HMENU__ {
    struct Item {
        UINT flags = 0;
        UINT_PTR id = 0;
        std::u16string text;
        HMENU__* sub = nullptr;
    };
    std::vector<Item> items;
};

using qtdetail::fromQString;
using qtdetail::toQString;

namespace {

// --- The real provider ---

class RealShell : public ShellProvider {
public:
    bool fileDialog(const FileDialogRequest& request, std::u16string& chosen, DWORD* filterIndex) override {
        QWidget* owner = nullptr;
        if (qtdetail::WindowPtr w = qtdetail::lookup(request.owner)) owner = w->widget;
        QFileDialog dialog(owner);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!request.title.empty()) dialog.setWindowTitle(toQString(request.title));
        QStringList filters;
        for (const FileFilter& f : request.filters) {
            QString patterns = toQString(f.pattern);
            patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
            filters << toQString(f.description) + QStringLiteral(" (") + patterns + QStringLiteral(")");
        }
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            const int index = static_cast<int>(request.filterIndex) - 1;
            if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
        }
        // GetSaveFileName adds the extension and asks the overwrite question itself, about the
        // name it ends up with.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!request.initialFile.empty()) dialog.selectFile(toQString(request.initialFile));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        chosen = fromQString(dialog.selectedFiles().front());
        if (filterIndex) {
            const auto index = filters.indexOf(dialog.selectedNameFilter());
            *filterIndex = index >= 0 ? static_cast<DWORD>(index + 1) : request.filterIndex;
        }
        return true;
    }

    bool confirmOverwrite(HWND owner, const std::u16string& path) override {
        QWidget* parent = nullptr;
        if (qtdetail::WindowPtr w = qtdetail::lookup(owner)) parent = w->widget;
        const QString question = toQString(path) + QStringLiteral(" 已存在。\n要替换它吗？");
        return QMessageBox::question(parent, QStringLiteral("确认另存为"), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

    bool setClipboardText(std::u16string_view text) override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard) return false;
        clipboard->setText(toQString(text));
        return true;
    }

    std::optional<std::u16string> clipboardText() override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard) return std::nullopt;
        const QString text = clipboard->text();
        if (text.isNull()) return std::nullopt;
        return fromQString(text);
    }

    bool trayShow(const NOTIFYICONDATA& icon) override {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
        auto key = std::make_pair(icon.hWnd, icon.uID);
        auto& slot = icons_[key];
        if (!slot) {
            slot = std::make_unique<QSystemTrayIcon>();
            const HWND hwnd = icon.hWnd;
            const UINT id = icon.uID;
            QObject::connect(slot.get(), &QSystemTrayIcon::activated, slot.get(),
                             [this, hwnd, id](QSystemTrayIcon::ActivationReason reason) {
                                 qtdetail::EntryGuard guard;
                                 const UINT message = callbacks_[std::make_pair(hwnd, id)];
                                 if (!message) return;
                                 UINT mouse = 0;
                                 if (reason == QSystemTrayIcon::DoubleClick) mouse = WM_LBUTTONDBLCLK;
                                 if (reason == QSystemTrayIcon::Context) mouse = WM_RBUTTONUP;
                                 if (reason == QSystemTrayIcon::Trigger) mouse = WM_LBUTTONUP;
                                 if (mouse) PostMessage(hwnd, message, id, static_cast<LPARAM>(mouse));
                             });
        }
        callbacks_[key] = icon.uCallbackMessage;
        if (icon.hIcon) slot->setIcon(QIcon(QPixmap::fromImage(icon.hIcon->image)));
        slot->setToolTip(toQString(icon.szTip));
        slot->show();
        return true;
    }

    void trayRemove(HWND hwnd, UINT id) override {
        auto key = std::make_pair(hwnd, id);
        auto it = icons_.find(key);
        if (it == icons_.end()) return;
        it->second->hide();
        qtdetail::scheduleDelete(it->second.release());
        icons_.erase(it);
        callbacks_.erase(key);
    }

    UINT popupMenu(const std::vector<MenuItemInfo>& items, POINT at, HWND owner) override {
        QWidget* parent = nullptr;
        if (qtdetail::WindowPtr w = qtdetail::lookup(owner)) parent = w->widget;
        QMenu menu(parent);
        for (const MenuItemInfo& item : items) {
            if (item.separator) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(toQString(item.text));
            action->setData(item.id);
            action->setEnabled(!item.disabled);
        }
        QAction* chosen = menu.exec(QPoint(at.x, at.y));
        return chosen ? chosen->data().toUInt() : 0;
    }

    std::string localeName() override {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* v = std::getenv(name);
            if (v && *v) return v;
        }
        return std::string();
    }

    bool openTarget(std::u16string_view target) override {
        return QProcess::startDetached(QStringLiteral("xdg-open"), {toQString(target)});
    }

private:
    std::map<std::pair<HWND, UINT>, std::unique_ptr<QSystemTrayIcon>> icons_;
    std::map<std::pair<HWND, UINT>, UINT> callbacks_;
};

ShellProvider* g_provider = nullptr;
std::vector<NOTIFYICONDATA> g_trayIcons;

std::vector<NOTIFYICONDATA>::iterator findIcon(HWND hwnd, UINT id) {
    return std::find_if(g_trayIcons.begin(), g_trayIcons.end(),
                        [&](const NOTIFYICONDATA& d) { return d.hWnd == hwnd && d.uID == id; });
}

char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool equalNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// The extensions a filter's patterns name: "*.png;*.jpeg" gives png and jpeg.
std::vector<std::u16string_view> patternExtensions(std::u16string_view patterns) {
    std::vector<std::u16string_view> out;
    while (!patterns.empty()) {
        const size_t end = std::min(patterns.find(u';'), patterns.size());
        std::u16string_view one = patterns.substr(0, end);
        if (one.size() > 2 && one.substr(0, 2) == u"*." && one.find_first_of(u"*?", 2) == std::u16string_view::npos) {
            out.push_back(one.substr(2));
        }
        patterns.remove_prefix(std::min(end + 1, patterns.size()));
    }
    return out;
}

bool fileExists(const std::u16string& path) {
    struct stat st;
    return ::stat(utf16ToUtf8(path).c_str(), &st) == 0;
}

bool runFileDialog(OPENFILENAME* ofn, bool save) {
    if (!ofn) return false;
    FileDialogRequest request;
    request.save = save;
    request.owner = ofn->hwndOwner;
    request.filters = ofn->filters;
    request.filterIndex = ofn->nFilterIndex;
    request.initialFile = ofn->file;
    request.defExt = ofn->defExt;
    request.title = ofn->title;
    request.flags = ofn->flags;
    ShellProvider& provider = CurrentShellProvider();
    for (;;) {
        std::u16string chosen;
        DWORD filterIndex = request.filterIndex;
        if (!provider.fileDialog(request, chosen, &filterIndex) || chosen.empty()) return false;
        if (save) chosen = SaveFileNameWithExtension(chosen, ofn->filters, filterIndex, ofn->defExt);
        // Declining to replace the file goes back to the dialog, with the name it was asked about.
        if (save && (ofn->flags & OFN_OVERWRITEPROMPT) && fileExists(chosen) &&
            !provider.confirmOverwrite(ofn->hwndOwner, chosen)) {
            request.initialFile = chosen;
            request.filterIndex = filterIndex;
            continue;
        }
        ofn->file = chosen;
        ofn->nFilterIndex = filterIndex;
        return true;
    }
}

void flatten(const HMENU__* menu, std::vector<MenuItemInfo>& out) {
    for (const auto& item : menu->items) {
        MenuItemInfo info;
        info.separator = item.flags & MF_SEPARATOR;
        info.disabled = item.flags & (MF_GRAYED | MF_DISABLED);
        info.text = item.text;
        info.id = item.sub ? 0 : static_cast<UINT>(item.id);
        out.push_back(info);
        if (item.sub) flatten(item.sub, out);
    }
}

std::string lockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
    return std::string();
}

}  // namespace

void SetShellProvider(ShellProvider* provider) { g_provider = provider; }

ShellProvider& CurrentShellProvider() {
    static RealShell real;
    return g_provider ? *g_provider : real;
}

bool GetOpenFileName(OPENFILENAME* ofn) { return runFileDialog(ofn, false); }
bool GetSaveFileName(OPENFILENAME* ofn) { return runFileDialog(ofn, true); }

std::u16string SaveFileNameWithExtension(const std::u16string& chosen, const std::vector<FileFilter>& filters,
                                         DWORD filterIndex, const std::u16string& defExt) {
    if (defExt.empty()) return chosen;
    const size_t slash = chosen.find_last_of(u'/');
    const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    const size_t dot = chosen.find_last_of(u'.');
    // A leading dot starts a hidden file's name, not an extension.
    const bool hasExtension = dot != std::u16string::npos && dot > nameStart;
    if (hasExtension) {
        const std::u16string_view extension = std::u16string_view(chosen).substr(dot + 1);
        for (const FileFilter& filter : filters)
            for (std::u16string_view known : patternExtensions(filter.pattern))
                if (equalNoCase(extension, known)) return chosen;
    }
    std::u16string_view added = defExt;
    if (filterIndex >= 1 && filterIndex <= filters.size()) {
        const auto extensions = patternExtensions(filters[filterIndex - 1].pattern);
        if (!extensions.empty()) added = extensions.front();
    }
    std::u16string out = chosen;
    if (out.back() != u'.') out += u'.';
    return out + std::u16string(added);
}

bool SetClipboardUnicodeText(HWND, std::u16string_view text) { return CurrentShellProvider().setClipboardText(text); }

std::optional<std::u16string> GetClipboardUnicodeText() { return CurrentShellProvider().clipboardText(); }

bool Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA* data) {
    if (!data) return false;
    auto it = findIcon(data->hWnd, data->uID);
    switch (message) {
        case NIM_ADD: {
            if (it != g_trayIcons.end() || !IsWindow(data->hWnd)) return false;
            NOTIFYICONDATA icon;
            icon.hWnd = data->hWnd;
            icon.uID = data->uID;
            icon.uFlags = data->uFlags;
            if (data->uFlags & NIF_MESSAGE) icon.uCallbackMessage = data->uCallbackMessage;
            if (data->uFlags & NIF_ICON) icon.hIcon = data->hIcon;
            if (data->uFlags & NIF_TIP) icon.szTip = data->szTip.substr(0, 127);
            if (!CurrentShellProvider().trayShow(icon)) return false;
            g_trayIcons.push_back(icon);
            return true;
        }
        case NIM_MODIFY: {
            if (it == g_trayIcons.end()) return false;
            NOTIFYICONDATA icon = *it;
            if (data->uFlags & NIF_MESSAGE) icon.uCallbackMessage = data->uCallbackMessage;
            if (data->uFlags & NIF_ICON) icon.hIcon = data->hIcon;
            if (data->uFlags & NIF_TIP) icon.szTip = data->szTip.substr(0, 127);
            icon.uFlags |= data->uFlags;
            if (!CurrentShellProvider().trayShow(icon)) return false;
            *it = icon;
            return true;
        }
        case NIM_DELETE:
            if (it == g_trayIcons.end()) return false;
            CurrentShellProvider().trayRemove(data->hWnd, data->uID);
            g_trayIcons.erase(it);
            return true;
        default: return false;
    }
}

namespace qtdetail {
void removeTrayIconsOf(HWND hwnd) {
    for (auto it = g_trayIcons.begin(); it != g_trayIcons.end();) {
        if (it->hWnd == hwnd) {
            CurrentShellProvider().trayRemove(it->hWnd, it->uID);
            it = g_trayIcons.erase(it);
        } else {
            ++it;
        }
    }
}
}  // namespace qtdetail

// --- Menus ---

HMENU CreatePopupMenu() { return new HMENU__; }

bool AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, std::u16string_view text) {
    if (!menu) return false;
    HMENU__::Item item;
    item.flags = flags;
    item.text = std::u16string(text);
    if (flags & MF_POPUP) {
        item.sub = reinterpret_cast<HMENU>(idOrSubmenu);
        if (!item.sub || item.sub == menu) return false;
    } else {
        item.id = idOrSubmenu;
    }
    menu->items.push_back(std::move(item));
    return true;
}

HMENU GetSubMenu(HMENU menu, int position) {
    if (!menu || position < 0 || position >= static_cast<int>(menu->items.size())) return nullptr;
    return menu->items[static_cast<size_t>(position)].sub;
}

int GetMenuItemCount(HMENU menu) { return menu ? static_cast<int>(menu->items.size()) : -1; }

bool DestroyMenu(HMENU menu) {
    if (!menu) return false;
    for (auto& item : menu->items) DestroyMenu(item.sub);
    delete menu;
    return true;
}

int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    if (!menu) return 0;
    std::vector<MenuItemInfo> items;
    flatten(menu, items);
    const UINT chosen = CurrentShellProvider().popupMenu(items, POINT{x, y}, owner);
    if (flags & TPM_RETURNCMD) return static_cast<int>(chosen);
    if (chosen) PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return chosen ? 1 : 0;
}

// --- Single instance ---

NamedMutex::NamedMutex(std::u16string_view name) {
    std::string file = utf16ToUtf8(name);
    for (char& c : file) {
        if (c == '/' || c == '\0') c = '_';
    }
    const std::string dir = lockDirectory();
    if (!dir.empty()) {
        path_ = dir + "/" + file + ".lock";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + file + "-" + std::to_string(::getuid()) + ".lock";
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        alreadyExists_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

NamedMutex::~NamedMutex() {
    if (fd_ >= 0) ::close(fd_);
}

// --- Language, links ---

WORD LanguageIdFromLocale(std::string_view locale) {
    const size_t cut = locale.find_first_of(".@");
    std::string base(locale.substr(0, cut));
    for (char& c : base) {
        if (c == '-') c = '_';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (base == "zh_cn") return 2052;
    if (base == "zh_tw") return 1028;
    if (base == "zh_hk") return 3076;
    if (base == "zh_sg") return 4100;
    return 1033;
}

WORD GetSystemDefaultLangID() { return LanguageIdFromLocale(CurrentShellProvider().localeName()); }

bool ShellExecuteOpen(std::u16string_view target) {
    if (target.empty()) return false;
    return CurrentShellProvider().openTarget(target);
}

// --- The scripted provider ---

bool ScriptedShell::fileDialog(const FileDialogRequest& request, std::u16string& chosen, DWORD* filterIndex) {
    dialogRequests.push_back(request);
    if (dialogAnswers.empty()) return false;
    DialogAnswer answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (!answer.accept) return false;
    chosen = answer.path;
    if (filterIndex) *filterIndex = answer.filterIndex;
    return true;
}

bool ScriptedShell::confirmOverwrite(HWND, const std::u16string& path) {
    overwriteQuestions.push_back(path);
    if (overwriteAnswers.empty()) return true;
    const bool yes = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return yes;
}

bool ScriptedShell::setClipboardText(std::u16string_view text) {
    if (!clipboardAvailable) return false;
    clipboard = std::u16string(text);
    return true;
}

std::optional<std::u16string> ScriptedShell::clipboardText() {
    if (!clipboardAvailable) return std::nullopt;
    return clipboard;
}

const NOTIFYICONDATA* ScriptedShell::findTrayIcon(HWND hwnd, UINT id) const {
    for (const auto& icon : trayIcons) {
        if (icon.hWnd == hwnd && icon.uID == id) return &icon;
    }
    return nullptr;
}

bool ScriptedShell::clickTray(HWND hwnd, UINT id, UINT mouseMessage) const {
    const NOTIFYICONDATA* icon = findTrayIcon(hwnd, id);
    if (!icon || !icon->uCallbackMessage) return false;
    return PostMessage(hwnd, icon->uCallbackMessage, id, static_cast<LPARAM>(mouseMessage));
}

bool ScriptedShell::trayShow(const NOTIFYICONDATA& icon) {
    if (!trayAvailable) return false;
    for (auto& existing : trayIcons) {
        if (existing.hWnd == icon.hWnd && existing.uID == icon.uID) {
            existing = icon;
            return true;
        }
    }
    trayIcons.push_back(icon);
    return true;
}

void ScriptedShell::trayRemove(HWND hwnd, UINT id) {
    trayIcons.erase(std::remove_if(trayIcons.begin(), trayIcons.end(),
                                   [&](const NOTIFYICONDATA& d) { return d.hWnd == hwnd && d.uID == id; }),
                    trayIcons.end());
}

UINT ScriptedShell::popupMenu(const std::vector<MenuItemInfo>& items, POINT, HWND) {
    menusShown.push_back(items);
    if (menuChoices.empty()) return 0;
    const UINT choice = menuChoices.front();
    menuChoices.pop_front();
    return choice;
}

std::string ScriptedShell::localeName() { return locale; }

bool ScriptedShell::openTarget(std::u16string_view target) {
    openedTargets.emplace_back(target);
    return true;
}

}  // namespace platform
