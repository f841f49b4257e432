// Renders every skinned control and dialog in each of its states to PNG files, so the
// skin can be looked at without running the launcher: fenlow-skin-gallery <folder>.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>

#include <cstdio>

#include "base/ProgramTitle.h"
#include "game/GameLayout.h"
#include "game/MainWindowSkin.h"
#include "skin/CBtnEx.h"
#include "skin/CDlgEx.h"
#include "skin/CImgProgress.h"
#include "skin/CMessageBox.h"
#include "skin/CStaticEx.h"
#include "skin/CTabCtrlBase.h"
#include "skin/SkinImage.h"

namespace {

const QColor kDesktop(0x5d, 0x6b, 0x78);
constexpr int kMargin = 16;

// A window as it would look on the desktop: its outline cut by its mask.
QImage Shot(QWidget *window)
{
    QApplication::processEvents();
    const QPixmap pixmap = window->grab();
    QImage image(pixmap.size() + QSize(2 * kMargin, 2 * kMargin), QImage::Format_RGB32);
    image.fill(kDesktop);
    QPainter p(&image);
    p.translate(kMargin, kMargin);
    if (!window->mask().isEmpty())
        p.setClipRegion(window->mask());
    p.drawPixmap(0, 0, pixmap);
    return image;
}

bool Save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    const bool ok = image.save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// The main window's frame as the launcher draws it, from the real layout and skin, with
// three tabs and no game pages.
class GalleryMainWindow : public CDlgEx
{
public:
    GalleryMainWindow()
    {
        setWindowIcon(AppIcon());
        resize(1120, 360);
    }

    void Maximize() { ToggleMaximize(); }

protected:
    bool OnInitDialog() override
    {
        CDlgEx::OnInitDialog();
        UseMainWindowSkin(GameLayout::kCaptionHeight, GameLayout::kFrame);
        SetTitle(QString::fromUtf8(kProgramTitle));

        auto *tabs = new CTabCtrlBase(this);
        SkinTabStrip(tabs);
        tabs->InsertItem(0, QStringLiteral("12服-岚汐翼川记-青云客"));
        tabs->InsertItem(1, QStringLiteral("7服-岚汐翼川记-踏雪"));
        tabs->InsertItem(2, QStringLiteral("月下听风"));
        tabs->SetCurSel(0);
        tabs->SetHotItem(1);
        tabs->setGeometry(GameLayout::TabStripRect(2));

        for (int id : GameLayout::kButtonIds) {
            auto *button = new CBtnEx(id, this);
            SkinCaptionButton(button);
            m_tools << button;
        }
        m_tools[3]->m_bHover = true;
        placeTools();
        return true;
    }

    void resizeEvent(QResizeEvent *event) override
    {
        CDlgEx::resizeEvent(event);
        placeTools();
    }

private:
    void placeTools()
    {
        for (CBtnEx *button : m_tools)
            button->setGeometry(GameLayout::ButtonRect(button->GetDlgCtrlID(), width()));
    }

    QList<CBtnEx *> m_tools;
};

// A small skinned dialog with the controls of the settings and download dialogs.
class GalleryDialog : public CDlgEx
{
public:
    explicit GalleryDialog(const QString &title, QSize size)
    {
        m_title = title;
        resize(size);
    }

protected:
    bool OnInitDialog() override
    {
        CDlgEx::OnInitDialog();
        UseSmallDialogSkin();
        SetTitle(m_title);
        return true;
    }

private:
    QString m_title;
};

QImage ButtonStates(const QDir &)
{
    GalleryDialog dialog(QStringLiteral("按钮"), QSize(420, 120));
    dialog.show();
    const QStringList texts = {QStringLiteral("确定"), QStringLiteral("悬停"), QStringLiteral("按下"), QStringLiteral("禁用")};
    for (int i = 0; i < 4; ++i) {
        auto *button = new CBtnEx(5000 + i, &dialog);
        button->SetImage(LoadSkinImage(SkinId::DialogButton), true);
        button->move(24 + i * 96, 60);
        button->m_strText = texts[i];
        button->m_bHover = i == 1;
        button->setDown(i == 2);
        button->setEnabled(i != 3);
        button->show();
    }
    return Shot(&dialog);
}

QImage StaticAndProgress()
{
    GalleryDialog dialog(QStringLiteral("游戏下载中..."), QSize(380, 220));
    dialog.show();
    auto *text = new CStaticEx(QStringLiteral("正在下载《岚汐翼川记》登录器安装程序，请稍候。下载完成后将自动运行安装。\r\n网络较慢时请耐心等待。"), &dialog);
    text->setGeometry(24, 44, 332, 70);
    text->m_nFontHeight = 14;
    text->m_crNormal = QColor(72, 81, 86);
    text->show();
    auto *link = new CStaticEx(QStringLiteral("手动下载"), &dialog);
    link->setGeometry(24, 118, 120, 20);
    link->m_bLink = true;
    link->m_bHoverColor = true;
    link->m_bHover = true;
    link->m_nUnderline = 1;
    link->m_crHover = QColor(0xb8, 0x32, 0x28);
    link->show();
    for (int i = 0; i < 2; ++i) {
        auto *bar = new CImgProgress(&dialog);
        bar->SetImages(LoadSkinImage(SkinId::ProgressBack), LoadSkinImage(SkinId::ProgressFill));
        bar->move(28, 146 + i * 30);
        bar->SetRange(0, 100);
        bar->SetPos(i == 0 ? 37 : 100);
        bar->m_bShowPercent = true;
        bar->m_crPercent = Qt::white;
        bar->show();
    }
    return Shot(&dialog);
}

QImage MessageShot(int type, const QString &text)
{
    CMessageBox box;
    box.SetParams(type, QStringLiteral("岚汐翼川记"), text, LoadSkinImage(SkinId::SmallDialogBack),
                  LoadSkinImage(SkinId::CloseButton), LoadSkinImage(SkinId::DialogButton),
                  LoadSkinImage(SkinId::DialogButton));
    box.show();
    return Shot(&box);
}

QImage Strips()
{
    const QList<int> ids = {128, 131, 132, 133, 134, 135, 137, 138, 142, 143, 156, 157, 161, 162, 164, 165};
    const int scale = 2;
    int height = kMargin, width = 0;
    for (int id : ids) {
        const QImage image = LoadSkinImage(id);
        height += image.height() * scale + kMargin;
        width = std::max(width, image.width() * scale + 2 * kMargin + 40);
    }
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(0x30, 0x38, 0x40));
    QPainter p(&sheet);
    p.setPen(Qt::white);
    int y = kMargin;
    for (int id : ids) {
        const QImage image = KeyedToTransparent(LoadSkinImage(id));
        p.drawText(4, y + 12, QString::number(id));
        p.drawImage(QRect(40, y, image.width() * scale, image.height() * scale), image);
        y += image.height() * scale + kMargin;
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fenlow-skin-gallery <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return 1;

    bool ok = true;
    ok &= Save(Strips(), dir, QStringLiteral("images"));
    {
        GalleryMainWindow main;
        main.show();
        ok &= Save(Shot(&main), dir, QStringLiteral("main-window"));
        main.Maximize();
        ok &= Save(Shot(&main), dir, QStringLiteral("main-window-maximized"));
    }
    ok &= Save(ButtonStates(dir), dir, QStringLiteral("buttons"));
    ok &= Save(StaticAndProgress(), dir, QStringLiteral("static-progress"));
    ok &= Save(MessageShot(MB_OK, QStringLiteral("缓存清除完毕！")), dir, QStringLiteral("message-ok"));
    ok &= Save(MessageShot(MB_OKCANCEL, QStringLiteral("下载翼川记登录器，玩游戏更加方便快捷，现在就去下载吧？")), dir,
               QStringLiteral("message-okcancel"));
    ok &= Save(MessageShot(MB_YESNO, QStringLiteral("窗口即将关闭，是否要退出游戏？")), dir, QStringLiteral("message-yesno"));
    ok &= Save(MessageShot(MB_OK, QStringLiteral("岚汐翼川记已成功移除，部分文件将在程序退出\n或计算机重启后自行删除\n感谢您的支持")), dir,
               QStringLiteral("message-three-lines"));
    return ok ? 0 : 1;
}
