#pragma once

#include <QAbstractButton>
#include <QButtonGroup>
#include <QList>
#include <QObject>

#include "platform/option_group.h"

namespace marlin {

// Binds an OptionGroup to the form's radio buttons, given in option order. The bind
// lives as a child of the first button.
class QtOptionGroup : public QObject {
    Q_OBJECT

  public:
    QtOptionGroup(OptionGroup& group, const QList<QAbstractButton*>& buttons);

    bool ModelAlive() const { return m_subscription.Active(); }

  private:
    void Apply();

    OptionGroup& m_group;
    QList<QAbstractButton*> m_buttons;
    QButtonGroup* m_buttonGroup;
    Subscription m_subscription;
    bool m_applying = false;
};

}  // namespace marlin
