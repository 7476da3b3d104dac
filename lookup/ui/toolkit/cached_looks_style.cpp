// The application's style with text box frames and scroll bars shown from the pixmap cache.
#include "cached_looks_style.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionFrame>
#include <QStyleOptionSlider>

#include "cached_look.h"
#include "lookup/ui/toolkit/cached_looks.h"

namespace tarvel::toolkit {

void CachedLooks::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    const auto* panel = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || panel == nullptr || widget == nullptr) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QString key = QStringLiteral("TextBoxPanel:%1:%2:%3:%4:%5:%6:%7")
                            .arg(baseStyle()->name())
                            .arg(static_cast<int>(panel->state))
                            .arg(static_cast<int>(panel->direction))
                            .arg(panel->lineWidth)
                            .arg(panel->midLineWidth)
                            .arg(static_cast<int>(panel->features))
                            .arg(panel->palette.cacheKey());
    DrawCachedLook(*painter, *widget, panel->rect, key, [&](QPainter& onLook) {
        QProxyStyle::drawPrimitive(element, option, &onLook, widget);
    });
}

// A scroll bar looks the same wherever its slider shows the same place: a long list at its
// top looks alike whatever its length, so the bar need not be drawn afresh at each search.
void CachedLooks::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr || widget == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect slider = subControlRect(control, bar, SC_ScrollBarSlider, widget);
    const int ends = (bar->sliderValue == bar->minimum ? 1 : 0) |
                     (bar->sliderValue == bar->maximum ? 2 : 0) |
                     (bar->minimum == bar->maximum ? 4 : 0);
    const QString key = QStringLiteral("ScrollBar:%1:%2:%3:%4:%5:%6:%7:%8:%9")
                            .arg(baseStyle()->name())
                            .arg(static_cast<int>(bar->state))
                            .arg(static_cast<int>(bar->direction))
                            .arg(static_cast<int>(bar->orientation))
                            .arg(static_cast<int>(bar->subControls))
                            .arg(static_cast<int>(bar->activeSubControls))
                            .arg(bar->palette.cacheKey())
                            .arg(ends)
                            .arg(QStringLiteral("%1,%2 %3x%4")
                                     .arg(slider.x())
                                     .arg(slider.y())
                                     .arg(slider.width())
                                     .arg(slider.height()));
    DrawCachedLook(*painter, *widget, bar->rect, key, [&](QPainter& onLook) {
        QProxyStyle::drawComplexControl(control, option, &onLook, widget);
    });
}

QStyle* CachedLooksStyle() {
    static QPointer<CachedLooks> shared;
    if (shared.isNull()) {
        shared = new CachedLooks(QStyleFactory::create(QApplication::style()->name()));
        shared->setParent(qApp);
    }
    return shared;
}

}  // namespace tarvel::toolkit
