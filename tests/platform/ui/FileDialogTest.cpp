// The real open dialog, run modally and looked at from inside: its filters match names in any
// letter case, it opens in the folder asked for, and it speaks the language of the Qt
// translations loaded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/shell.h"

namespace platform {
namespace {

struct DialogView {
    QString folder;
    QString firstFilter;
    QStringList files;
    QStringList buttons;
};

// Looks at the modal file dialog once its folder is listed (or after `limitMs`), then cancels it.
void InspectModalDialog(DialogView& view, int limitMs) {
    auto* timer = new QTimer;
    auto started = std::chrono::steady_clock::now();
    QObject::connect(timer, &QTimer::timeout, [timer, &view, started, limitMs] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        const bool listed = list && list->model()->rowCount(list->rootIndex()) > 0;
        if (!listed && std::chrono::steady_clock::now() - started < std::chrono::milliseconds(limitMs)) return;
        view.folder = dialog->directory().absolutePath();
        if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) view.firstFilter = combo->itemText(0);
        for (int row = 0; list && row < list->model()->rowCount(list->rootIndex()); ++row) {
            view.files << list->model()->index(row, 0, list->rootIndex()).data().toString();
        }
        for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons()) view.buttons << button->text();
        timer->stop();
        timer->deleteLater();
        dialog->reject();
    });
    timer->start(20);
}

TEST(RealFileDialog, MatchesAnyCaseOpensInTheFolderAskedForAndSpeaksChinese) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("merovask-dialog-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const char* name : {"IMG_0001.JPG", "b.Png", "c.jpeg", "notes.txt"}) std::ofstream(dir / name) << "x";

    ASSERT_TRUE(LoadQtTranslations("zh_CN.UTF-8"));

    OPENFILENAME ofn;
    ofn.filters = {{u"图片文件", u"*.png;*.jpg;*.jpeg;*.gif;*.bmp"}, {u"所有文件", u"*"}};
    ofn.initialDir = dir.u16string();
    DialogView view;
    InspectModalDialog(view, 10000);
    EXPECT_FALSE(GetOpenFileName(&ofn));  // cancelled

    EXPECT_EQ(view.folder.toStdString(), dir.string());
    EXPECT_EQ(view.firstFilter, QStringLiteral("图片文件 (*.png *.jpg *.jpeg *.gif *.bmp)"));
    view.files.sort();
    EXPECT_EQ(view.files, (QStringList{"IMG_0001.JPG", "b.Png", "c.jpeg"}));
    EXPECT_TRUE(view.buttons.contains(QStringLiteral("取消"))) << view.buttons.join(',').toStdString();

    EXPECT_FALSE(LoadQtTranslations("C"));  // none for C: English again
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform
