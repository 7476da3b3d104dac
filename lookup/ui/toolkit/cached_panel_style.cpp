// The application's style with text box panels shown from the pixmap cache.
#include "cached_panel_style.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionFrame>

#include "cached_look.h"

namespace tarvel::toolkit {

void CachedPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
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

QStyle* CachedPanelStyle::Shared() {
    static QPointer<CachedPanelStyle> shared;
    if (shared.isNull()) {
        shared = new CachedPanelStyle(QStyleFactory::create(QApplication::style()->name()));
        shared->setParent(qApp);
    }
    return shared;
}

}  // namespace tarvel::toolkit
