#include "game/PopupMenu.h"

#include <QAction>
#include <QMenu>

int RunPopupMenu(const std::vector<SystemMenu::Item> &items, QWidget *owner,
                 const std::function<QPoint(const QSize &)> &origin)
{
    QMenu menu(owner);
    menu.setObjectName(QStringLiteral("SystemMenu"));
    for (const SystemMenu::Item &item : items) {
        if (item.separator)
            menu.addSeparator();
        else
            menu.addAction(item.text)->setData(item.id);
    }
    const QAction *chosen = menu.exec(origin(menu.sizeHint()));
    return chosen ? chosen->data().toInt() : SystemMenu::kNone;
}
