#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/text_box.h"

namespace marlin {

// A small dialog of amounts in dollars (Settings › "Prices…", "Spending Limits…"): one
// labelled line per text box of the form, OK and Cancel. OK hands the boxes to the form's
// check and closes only when it took them.
class AmountsDialog : public QDialog {
    Q_OBJECT

  public:
    struct Field {
        const char* label;
        TextBox& box;
        QString name;  // the line's objectName
    };

    AmountsDialog(const QString& name, const QString& title, const QString& note, std::vector<Field> fields,
                  std::function<bool()> ok, QWidget* parent);

    // Shows the dialog over the window, the first line ready for typing.
    void Open();
};

}  // namespace marlin
