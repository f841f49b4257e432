#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>

#include "login/CLoginDlg.h"
#include "skin/SkinImage.h"

// The login window the player sees: a frameless window shaped and shaded by the
// translucent login picture, with the login page window glued over it at a fixed place.
// Dragging the picture moves both; the page hides, shows and minimises with it. Enter
// never ends it; the page's commands end it with IDOK or IDCANCEL, closing it with
// IDCANCEL.
class CLoginBkDlg : public QDialog
{
    Q_OBJECT
public:
    // Resource number of the login picture.
    static constexpr int kBackImageId = SkinId::LoginBack;
    // Where the page lies, relative to the window's top-left corner.
    static constexpr QRect kPageRect{336, 133, 620, 375};

    // `pageFactory` creates the game pages the login enters; `pageUrl` is the login page
    // (the platform's launcher login page, PlatformHosts::LoginPageUrl); the login's pages
    // use the account slot's `profile`. The page starts loading at once, hidden until the
    // window shows.
    CLoginBkDlg(QWidget *parent, GamePageFactory pageFactory, const QString &pageUrl,
                SlotProfile profile = WebEngineSetup::FirstSlot());
    // The page window, its page and the page's renderer go with it.
    ~CLoginBkDlg() override;

    // Runs the window modally; answers IDOK or IDCANCEL.
    int DoModal();

    CLoginDlg LoginPage;
    const QIcon AppIcon;
    const QImage BackImage;
    const int ImageWidth;
    const int ImageHeight;

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PlacePage();
};
