#include "indicator_style.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace tarvela::ui {

TIndicatorStyle::TIndicatorStyle(const QColor& edge)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), edge_(edge) {}

void TIndicatorStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_IndicatorCheckBox && element != PE_IndicatorRadioButton)
        return;
    painter->save();
    if (element == PE_IndicatorCheckBox) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(edge_, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    } else {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(edge_, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(QRectF(option->rect).adjusted(1, 1, -1, -1));
    }
    painter->restore();
}

void TIndicatorStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                         const QWidget* widget) const {
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || slider == nullptr || !(slider->subControls & SC_SliderGroove)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The groove, its edge, then the rest (ticks, handle) over it.
    QStyleOptionSlider groove(*slider);
    groove.subControls = SC_SliderGroove;
    QProxyStyle::drawComplexControl(control, &groove, painter, widget);
    const QRect r = subControlRect(CC_Slider, slider, SC_SliderGroove, widget);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(edge_, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(r.adjusted(0, 0, -1, -1));
    painter->restore();
    QStyleOptionSlider rest(*slider);
    rest.subControls = slider->subControls & ~SC_SliderGroove;
    if (rest.subControls != SC_None)
        QProxyStyle::drawComplexControl(control, &rest, painter, widget);
}

} // namespace tarvela::ui
