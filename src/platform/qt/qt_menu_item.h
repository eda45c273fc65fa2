#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include "platform/menu_item.h"

namespace marlin {

// Binds a MenuItem to a QAction (an item) or to a QMenu (a submenu or a popup menu).
// Captions keep the classic convention, which Qt shares: "&" marks the access key and
// "&&" is a literal "&". The check mark is the model's: Qt's own toggle on a click is
// undone at once and the item's action decides. A popup request shows the QMenu at
// the mouse and returns when it closes.
class QtMenuItem : public QObject {
    Q_OBJECT

  public:
    QtMenuItem(MenuItem& item, QAction* action);
    QtMenuItem(MenuItem& item, QMenu* menu);

    QAction* action() const { return m_action; }
    bool ModelAlive() const { return m_subscription.Active(); }

  private:
    void Bind();
    void Apply();
    void OnChange(const ModelChange& change);

    MenuItem& m_item;
    QPointer<QAction> m_action;
    QPointer<QMenu> m_menu;
    Subscription m_subscription;
};

}  // namespace marlin
