#pragma once

#include <QProxyStyle>

namespace marlin {

// A header's sort arrow drawn as the rows run: pointing up over rows that rise (smallest
// first), down over rows that fall (the Tweets table's newest first), as most programs
// draw it. Qt hands the style its own reading of the order, and on this platform the
// Fusion style draws a falling order as an up arrow. The rest is the application's style.
class SortArrowStyle : public QProxyStyle {
    Q_OBJECT

  public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace marlin
