#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <vector>

#include "platform/change_notifier.h"
#include "platform/text_box.h"

class QMimeData;

namespace marlin {

// A read-only view of a text box that holds whole service responses: compact JSON of a
// few hundred kilobytes on one line, replaced after every page of a retrieval. Laying
// out one such line takes a large fraction of a second each time, so the view shows the
// text cut into blocks of a few thousand characters, which the editor lays out only
// when they scroll into sight. Copying gives the response exactly as received, without
// the cuts. Updates are coalesced to one per event pass.
class RawTextView : public QPlainTextEdit {
    Q_OBJECT

  public:
    static constexpr qsizetype kBlockLength = 4000;

    explicit RawTextView(TextBox& model, QWidget* parent = nullptr);

    // The text as the model holds it (what a copy of everything gives).
    const QString& originalText() const { return m_original; }

  protected:
    QMimeData* createMimeDataFromSelection() const override;

  private:
    void Schedule();
    void Apply();
    // The position in the original text of a position in the shown document.
    qsizetype OriginalPosition(qsizetype shownPosition) const;

    TextBox& m_model;
    Subscription m_subscription;
    QString m_original;
    std::vector<qsizetype> m_cuts;  // shown positions of the inserted block breaks, ascending
    bool m_pending = false;
    bool m_shownVisible = true;
};

}  // namespace marlin
