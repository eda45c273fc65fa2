#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTextCursor>

#include "platform/qt/qt_text.h"
#include "platform/text_box.h"
#include "workspace/ui/raw_text_view.h"

namespace marlin {
namespace {

// A response longer than a few blocks, with a character outside the basic plane
// (two UTF-16 units) straddling the first cut.
std::string LongResponse() {
    std::string text = "{\"statuses\":[";
    while (text.size() < RawTextView::kBlockLength - 1) text += 'a';
    text += "\xF0\x9F\x98\x80";  // U+1F600
    for (int i = 0; text.size() < 3 * RawTextView::kBlockLength + 123; ++i) text += std::to_string(i % 10);
    return text + "]}";
}

TEST(RawTextViewTest, ShowsLongResponsesInBlocksAndCopiesThemUncut) {
    TextBox model;
    RawTextView view(model);
    model.SetText(LongResponse());
    QCoreApplication::processEvents();

    const QString original = ToQt(LongResponse());
    EXPECT_EQ(view.originalText(), original);
    EXPECT_GT(view.blockCount(), 3);
    EXPECT_FALSE(view.document()->toPlainText().contains(QChar(0xFFFD)));

    view.selectAll();
    view.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), original);

    // A selection across two cuts gives the same characters as the response.
    QTextCursor cursor(view.document());
    cursor.setPosition(RawTextView::kBlockLength - 10);
    cursor.setPosition(2 * RawTextView::kBlockLength + 20, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    view.copy();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_FALSE(copied.contains(QChar::LineFeed));
    EXPECT_EQ(copied, original.mid(RawTextView::kBlockLength - 10, copied.size()));
    EXPECT_GE(copied.size(), RawTextView::kBlockLength + 28);

    // A short response is one block, shown as it is.
    model.SetText("{\"errors\":[]}");
    QCoreApplication::processEvents();
    EXPECT_EQ(view.document()->toPlainText(), "{\"errors\":[]}");
    EXPECT_EQ(view.blockCount(), 1);
}

}  // namespace
}  // namespace marlin
