#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/control_model.h"

namespace marlin {

// Binds a control model to an existing widget (found by its objectName in the window's
// form) for what every control has: enabled, visible and tooltip, the program's focus
// requests and, when asked, the right-button context-menu request. The binding lives as a child of the
// widget, so it goes when the widget goes; it stops touching the model once the model
// is destroyed.
//
// On binding, the model is the truth, with one courtesy: an empty tooltip (or caption,
// in the derived bindings) in the model takes the text the form gave the widget.
// A plain QtControl serves for frames and panels.
class QtControl : public QObject {
    Q_OBJECT

  public:
    enum class ContextMenu { Keep, Route };

    QtControl(ControlModel& model, QWidget* widget, ContextMenu contextMenu = ContextMenu::Keep);
    ~QtControl() override;

    QWidget* widget() const { return m_widget; }
    // Whether `object` is still all a T. A widget's own part goes first when it is destroyed,
    // and the events of its last moments (its focus leaving, its children going) come while
    // it is only a QWidget: a binding must not reach into it as a T then. qobject_cast reads
    // the type the object has at this moment.
    template <typename T>
    static bool Whole(const QObject* object) {
        return qobject_cast<const T*>(object) != nullptr;
    }
    // False once the model has been destroyed.
    bool ModelAlive() const { return m_subscription.Active(); }

  protected:
    // Derived bindings handle the kinds they know and pass the rest here.
    virtual void OnChange(const ModelChange& change);
    void ApplyCommonProperties();
    void ApplyVisibility();

  private:
    ControlModel& m_model;
    QPointer<QWidget> m_widget;
    Subscription m_subscription;
    bool m_shownVisible = true;  // the switch last passed on to the widget
};

}  // namespace marlin
