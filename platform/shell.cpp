// Shell services: dialogs, clipboard, tray, menus, language, Qt's translations, links.
#include "platform/shell.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTranslator>
#include <QUrl>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "platform/imaging.h"
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
        // Qt's own dialog matches the filters in any letter case (a desktop's native one may not)
        // and speaks the language of the translations loaded.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!request.initialDir.empty()) dialog.setDirectory(toQString(request.initialDir));
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

    bool setClipboardPicture(const RgbImage& picture) override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard || picture.width <= 0 || picture.height <= 0) return false;
        const QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                           QImage::Format_RGB888);
        clipboard->setImage(image.copy());
        return true;
    }

    bool clipboardPicture(RgbImage& out) override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard) return false;
        return PictureFromMimeData(qtdetail::mimeDataOf(clipboard->mimeData()), out);
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
                                 const auto key = std::make_pair(hwnd, id);
                                 const UINT message = callbacks_[key];
                                 if (!message) return;
                                 UINT mouse = 0;
                                 if (reason == QSystemTrayIcon::DoubleClick) mouse = WM_LBUTTONDBLCLK;
                                 // The tray shows the icon's own menu itself.
                                 if (reason == QSystemTrayIcon::Context && !menus_.count(key)) mouse = WM_RBUTTONUP;
                                 if (reason == QSystemTrayIcon::Trigger) mouse = WM_LBUTTONUP;
                                 if (mouse) PostMessage(hwnd, message, id, static_cast<LPARAM>(mouse));
                             });
        }
        callbacks_[key] = icon.uCallbackMessage;
        auto shown = menus_.find(key);
        if (icon.menu.empty()) {
            slot->setContextMenu(nullptr);
            if (shown != menus_.end()) qtdetail::scheduleDelete(shown->second.menu.release());
            menus_.erase(key);
        } else if (shown == menus_.end() || shown->second.items != icon.menu) {
            // Made again only when it changed: a menu on show stays while the tooltip is renewed.
            auto menu = std::make_unique<QMenu>();
            fillMenu(*menu, icon.menu);
            const HWND hwnd = icon.hWnd;
            QObject::connect(menu.get(), &QMenu::triggered, menu.get(), [hwnd](QAction* action) {
                qtdetail::EntryGuard guard;
                PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(action->data().toUInt()), 0), 0);
            });
            slot->setContextMenu(menu.get());
            if (shown != menus_.end()) qtdetail::scheduleDelete(shown->second.menu.release());
            menus_[key] = TrayMenu{icon.menu, std::move(menu)};
        }
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
        if (auto menu = menus_.find(key); menu != menus_.end()) {
            qtdetail::scheduleDelete(menu->second.menu.release());
            menus_.erase(menu);
        }
    }

    void watchTrayHost(HWND hwnd, UINT message) override {
        trayHostWatcher_.reset();
        if (!hwnd) return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return;
        trayHostWatcher_ = std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.StatusNotifierWatcher"), bus,
                                                                 QDBusServiceWatcher::WatchForRegistration);
        QObject::connect(trayHostWatcher_.get(), &QDBusServiceWatcher::serviceRegistered, trayHostWatcher_.get(),
                         [hwnd, message] {
                             qtdetail::EntryGuard guard;
                             PostMessage(hwnd, message, 0, 0);
                         });
    }

    UINT popupMenu(const std::vector<MenuItemInfo>& items, POINT at, HWND owner) override {
        QWidget* parent = nullptr;
        if (qtdetail::WindowPtr w = qtdetail::lookup(owner)) parent = w->widget;
        QMenu menu(parent);
        fillMenu(menu, items);
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

    std::string languageList() override {
        const char* v = std::getenv("LANGUAGE");
        return v ? v : "";
    }

    bool openTarget(std::u16string_view target) override {
        return QProcess::startDetached(QStringLiteral("xdg-open"), {toQString(target)});
    }

private:
    static void fillMenu(QMenu& menu, const std::vector<MenuItemInfo>& items) {
        for (const MenuItemInfo& item : items) {
            if (item.separator) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(toQString(item.text));
            action->setData(item.id);
            action->setEnabled(!item.disabled);
        }
    }

    std::map<std::pair<HWND, UINT>, std::unique_ptr<QSystemTrayIcon>> icons_;
    std::map<std::pair<HWND, UINT>, UINT> callbacks_;
    struct TrayMenu {
        std::vector<MenuItemInfo> items;
        std::unique_ptr<QMenu> menu;
    };
    std::map<std::pair<HWND, UINT>, TrayMenu> menus_;
    std::unique_ptr<QDBusServiceWatcher> trayHostWatcher_;
};

// A picture in a format the imaging library does not read, through Qt's image readers, refused
// beyond the same size limits; transparent pixels over white, as the library reads them.
bool decodeWithQt(const std::string& bytes, RgbImage& out) {
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxImageSide || size.height() > kMaxImageSide ||
        static_cast<int64_t>(size.width()) * size.height() > kMaxImagePixels) {
        return false;
    }
    QImage image = reader.read();
    if (image.isNull()) return false;
    QImage flat(image.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    out = RgbImage(flat.width(), flat.height());
    for (int y = 0; y < flat.height(); ++y) {
        std::memcpy(out.pixel(0, y), flat.constScanLine(y), static_cast<size_t>(flat.width()) * 3);
    }
    return true;
}

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
    request.initialDir = ofn->initialDir;
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

bool GetClipboardPicture(RgbImage& out) {
    out = RgbImage();
    return CurrentShellProvider().clipboardPicture(out);
}

bool SetClipboardPicture(HWND, const RgbImage& picture) { return CurrentShellProvider().setClipboardPicture(picture); }

bool PictureFromMimeData(const MimeData& data, RgbImage& out) {
    out = RgbImage();
    for (const auto& [type, bytes] : data.formats) {
        if (type.rfind("image/", 0) != 0) continue;
        const auto* start = reinterpret_cast<const uint8_t*>(bytes.data());
        if (decodeImageBytes(start, bytes.size(), out).empty() || decodeWithQt(bytes, out)) return true;
    }
    if (const std::string* list = data.find("text/uri-list")) {
        for (const QByteArray& line : QByteArray::fromStdString(*list).split('\n')) {
            const QByteArray entry = line.trimmed();
            if (entry.isEmpty() || entry.startsWith('#')) continue;
            const QUrl url = QUrl::fromEncoded(entry);
            if (!url.isLocalFile()) continue;
            if (decodeImageFile(url.toLocalFile().toStdString(), out).empty()) return true;
        }
    }
    out = RgbImage();
    return false;
}

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
            if (data->uFlags & NIF_MENU) icon.menu = data->menu;
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
            if (data->uFlags & NIF_MENU) icon.menu = data->menu;
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

void WatchTrayHost(HWND hwnd, UINT message) { CurrentShellProvider().watchTrayHost(hwnd, message); }

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

std::vector<MenuItemInfo> GetMenuItems(HMENU menu) {
    std::vector<MenuItemInfo> items;
    if (menu) flatten(menu, items);
    return items;
}

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

unsigned TextCodePageFromLocale(std::string_view locale) {
    const size_t dot = locale.find('.');
    if (dot == std::string_view::npos) return kCodePageUtf8;
    std::string charset(locale.substr(dot + 1, locale.find('@', dot) - dot - 1));
    std::string plain;
    for (char c : charset) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != '-' && c != '_') plain += c;
    }
    for (const char* gbk : {"gbk", "gb18030", "gb2312", "euccn", "cp936"}) {
        if (plain == gbk) return kCodePageAnsi;
    }
    return kCodePageUtf8;
}

unsigned GetSystemTextCodePage() { return TextCodePageFromLocale(CurrentShellProvider().localeName()); }

bool LoadQtTranslations(std::string_view language) {
    static QPointer<QTranslator> loaded;
    delete loaded.data();  // a translator leaves the application as it goes
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    const std::string name(language.substr(0, language.find_first_of(".@")));
    const QLocale locale(QString::fromStdString(name));
    auto translator = std::make_unique<QTranslator>(app);
    // "qt" is the catalogue of all of Qt's modules.
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    loaded = translator.release();
    return true;
}

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
    clipboardData = MimeData();
    return true;
}

std::optional<std::u16string> ScriptedShell::clipboardText() {
    if (!clipboardAvailable) return std::nullopt;
    return clipboard;
}

bool ScriptedShell::setClipboardPicture(const RgbImage& picture) {
    std::vector<uint8_t> png;
    if (!clipboardAvailable || !encodeImage(picture, ImageFormat::Png, png).empty()) return false;
    clipboard.reset();
    clipboardData.formats = {{"image/png", std::string(png.begin(), png.end())}};
    return true;
}

bool ScriptedShell::clipboardPicture(RgbImage& out) {
    return clipboardAvailable && PictureFromMimeData(clipboardData, out);
}

const NOTIFYICONDATA* ScriptedShell::findTrayIcon(HWND hwnd, UINT id) const {
    for (const auto& icon : trayIcons) {
        if (icon.hWnd == hwnd && icon.uID == id) return &icon;
    }
    return nullptr;
}

bool ScriptedShell::clickTray(HWND hwnd, UINT id, UINT mouseMessage) {
    const NOTIFYICONDATA* icon = findTrayIcon(hwnd, id);
    if (!icon) return false;
    if (mouseMessage == WM_RBUTTONUP && !icon->menu.empty()) {
        const std::vector<MenuItemInfo> items = icon->menu;  // the icon may go meanwhile
        const UINT chosen = popupMenu(items, POINT{}, hwnd);
        return !chosen || PostMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    }
    if (!icon->uCallbackMessage) return false;
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

void ScriptedShell::watchTrayHost(HWND hwnd, UINT message) {
    trayHostWatchWindow = hwnd;
    trayHostWatchMessage = message;
}

bool ScriptedShell::trayHostAppears() {
    trayAvailable = true;
    return trayHostWatchWindow && PostMessage(trayHostWatchWindow, trayHostWatchMessage, 0, 0);
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

std::string ScriptedShell::languageList() { return languages; }

bool ScriptedShell::openTarget(std::u16string_view target) {
    openedTargets.emplace_back(target);
    return true;
}

}  // namespace platform
