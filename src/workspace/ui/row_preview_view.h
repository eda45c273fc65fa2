#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "platform/change_notifier.h"
#include "platform/report_list.h"

namespace marlin {

// The strip under a table that shows its selected row whole, as the text the workspace
// makes of it (TweetPreview, UserPreview). It follows one list at a time; a list that
// goes away leaves the strip empty.
class RowPreviewView : public QPlainTextEdit {
    Q_OBJECT

  public:
    using TextOf = std::function<std::string(const ReportList& list, int row)>;

    explicit RowPreviewView(TextOf textOf, QWidget* parent = nullptr);

    // Follows this list's selected row; nullptr shows nothing.
    void Follow(ReportList* list);
    // A few lines: the table above keeps the height.
    QSize sizeHint() const override;

    static constexpr int kLines = 6;

  private:
    void Refresh();

    TextOf m_textOf;
    ReportList* m_list = nullptr;
    Subscription m_subscription;
};

}  // namespace marlin
