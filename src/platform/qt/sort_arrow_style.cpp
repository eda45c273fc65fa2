#include "platform/qt/sort_arrow_style.h"

#include <QHeaderView>
#include <QStyleOptionHeader>

namespace marlin {

void SortArrowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    const auto* header = qobject_cast<const QHeaderView*>(widget);
    if (element != PE_IndicatorHeaderArrow || !header ||
        !qstyleoption_cast<const QStyleOptionHeader*>(option)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const bool rising = header->sortIndicatorOrder() == Qt::AscendingOrder;
    QProxyStyle::drawPrimitive(rising ? PE_IndicatorArrowUp : PE_IndicatorArrowDown, option, painter, widget);
}

}  // namespace marlin
