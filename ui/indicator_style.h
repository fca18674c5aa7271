#pragma once
// The named styles' drawing: Qt's Fusion with one change. Fusion outlines check boxes, radio
// buttons and the slider's groove in a shade of the window colour, which vanishes on dark windows
// (and is faint on light ones); here they get an edge of the style's own indicator colour.

#include <QProxyStyle>

namespace tarvela::ui {

class TIndicatorStyle final : public QProxyStyle {
    Q_OBJECT
public:
    explicit TIndicatorStyle(const QColor& edge);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

private:
    QColor edge_;
};

} // namespace tarvela::ui
