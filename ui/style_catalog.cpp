#include "style_catalog.h"

#include <algorithm>
#include <cmath>

namespace tarvela::ui {
namespace {

double channel(int c) {
    const double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

bool dark(const StyleColors& s) {
    return luminance(QColor(s.window)) < 0.2;
}

} // namespace

const std::vector<StyleColors>& styleCatalog() {
    // name, window, windowText, base, text, button, buttonText, highlight, highlightText, border,
    // strip, stripText, paper, ink, radius
    static const std::vector<StyleColors> styles = {
        {"Amethyst Kamri", 0xECE6F2, 0x2B1E3A, 0xFFFFFF, 0x241933, 0xDCD0EA, 0x2B1E3A, 0x6B3FA0, 0xFFFFFF, 0x9C84BA,
         0x4B2C6F, 0xF1E9FA, 0xFBF8FE, 0x241933, 6},
        {"Aqua Graphite", 0xE4E8EC, 0x1F262E, 0xFAFCFD, 0x1C232B, 0xCFD6DE, 0x1C232B, 0x2C6F8E, 0xFFFFFF, 0x8C98A6,
         0x3A434D, 0xE6F3F8, 0xF7FAFB, 0x1C232B, 4},
        {"Aqua Light Slate", 0xEEF3F6, 0x22313C, 0xFFFFFF, 0x1E2A33, 0xD9E6EE, 0x1E2A33, 0x246D94, 0xFFFFFF, 0x93AEBF,
         0x4F6878, 0xF5FAFD, 0xFAFDFE, 0x1E2A33, 8},
        {"Auric", 0xF5EEDC, 0x3A2C0C, 0xFFFDF6, 0x33270A, 0xE8D7A8, 0x3A2C0C, 0x7F5C12, 0xFFFFFF, 0xB8984A, 0x6E5113,
         0xFFF4D6, 0xFFFDF4, 0x33270A, 3},
        {"Cyan Dusk", 0x1E2B33, 0xD8EEF2, 0x141E24, 0xE2F4F7, 0x2A3B45, 0xD8EEF2, 0x3FB6C8, 0x0B1418, 0x4A6878,
         0x0F181D, 0x7FD8E6, 0xF2FAFB, 0x14262C, 5},
        {"Golden Graphite", 0x2A2A2C, 0xECE6D6, 0x1E1E20, 0xF0EAD8, 0x3A3A3D, 0xF2D488, 0xC9A13B, 0x1A1A1A, 0x66615A,
         0x19191A, 0xE8C66A, 0xFFFDF7, 0x2A2A2C, 4},
        {"Iceberg Classico", 0xE8F0F7, 0x17324A, 0xFFFFFF, 0x142B40, 0xD3E2EF, 0x17324A, 0x1F5F8F, 0xFFFFFF, 0x8FAFC8,
         0x2D5B80, 0xEAF4FC, 0xF7FBFE, 0x142B40, 0},
        {"Lavender Classico", 0xF0EDF7, 0x2F2745, 0xFFFFFF, 0x2A2240, 0xE0DAF0, 0x2F2745, 0x5B4B9A, 0xFFFFFF, 0xA79CC8,
         0x5B4B9A, 0xF4F1FC, 0xFCFBFF, 0x2A2240, 0},
        {"Light", 0xF7F7F7, 0x202020, 0xFFFFFF, 0x1A1A1A, 0xECECEC, 0x202020, 0x2A64C0, 0xFFFFFF, 0xC4C4C4, 0x44484F,
         0xF2F2F2, 0xFFFFFF, 0x1A1A1A, 4},
        {"Luna", 0xECE9D8, 0x1E1E1E, 0xFFFFFF, 0x000000, 0xF4F2E8, 0x1E1E1E, 0x316AC5, 0xFFFFFF, 0x7F9DB9, 0x245EDC,
         0xFFFFFF, 0xFFFFF0, 0x000000, 3},
        {"Metropolis UI Blue", 0xFFFFFF, 0x1B1B1B, 0xFFFFFF, 0x1B1B1B, 0xE6EEF7, 0x0B3D7A, 0x005A9E, 0xFFFFFF, 0x0063B1,
         0x0063B1, 0xFFFFFF, 0xFFFFFF, 0x1B1B1B, 0},
        {"Obsidian", 0x202124, 0xE8EAED, 0x17181A, 0xE8EAED, 0x303134, 0xE8EAED, 0x8AB4F8, 0x111111, 0x55585D, 0x111214,
         0xBDC1C6, 0xFFFFFF, 0x202124, 6},
        {"Ruby Graphite", 0x2B2627, 0xEDE3E4, 0x1F1B1C, 0xF2E8E9, 0x3D3436, 0xF5D9DC, 0xC23B4E, 0xFFFFFF, 0x6A5659,
         0x1A1617, 0xF07A8A, 0xFFFCFC, 0x2B2627, 4},
        {"Sapphire Kamri", 0xE6ECF8, 0x14254A, 0xFFFFFF, 0x0F1F40, 0xD0DCF4, 0x14254A, 0x1C3F94, 0xFFFFFF, 0x7F97CC,
         0x1C3F94, 0xE9EFFC, 0xF8FAFF, 0x0F1F40, 6},
        {"Silver", 0xE9EAEC, 0x262A2F, 0xFBFBFC, 0x1F2327, 0xD8DADD, 0x262A2F, 0x596573, 0xFFFFFF, 0xA3A8AE, 0x5A626C,
         0xF4F5F6, 0xFFFFFF, 0x1F2327, 3},
        {"Slate Classico", 0xDDE2E6, 0x1F2A33, 0xF7F9FA, 0x1A242C, 0xC8D0D7, 0x1F2A33, 0x3E5566, 0xFFFFFF, 0x8795A1,
         0x3E5566, 0xEEF2F5, 0xFAFBFC, 0x1A242C, 0},
        {"Smokey Quartz Kamri", 0xE9E4E1, 0x2E2624, 0xFCFAF9, 0x2A2220, 0xD9D0CB, 0x2E2624, 0x6E5A52, 0xFFFFFF,
         0xA8998F, 0x4F423D, 0xF3ECE8, 0xFFFCFA, 0x2A2220, 6},
    };
    return styles;
}

QColor buttonTop(const StyleColors& s) {
    return mix(QColor(s.button), QColor(Qt::white), dark(s) ? 0.06 : 0.35);
}

QColor alternateBase(const StyleColors& s) {
    return mix(QColor(s.base), QColor(s.window), 0.5);
}

// As faint as the hint may be while it still reads at 4.5:1 on the edit box.
QColor placeholderText(const StyleColors& s) {
    const QColor text(s.text);
    const QColor base(s.base);
    QColor best = text;
    for (double t = 0.05; t < 1.0; t += 0.05) {
        const QColor candidate = mix(text, base, t);
        if (contrastRatio(candidate, base) < 4.8)
            break;
        best = candidate;
    }
    return best;
}

QColor disabledButtonText(const StyleColors& s) {
    // The faintest step towards the button colour that still shows the caption (about 2:1).
    const QColor text(s.buttonText);
    const QColor button(s.button);
    QColor best = text;
    for (double t = 0.05; t < 1.0; t += 0.05) {
        const QColor candidate = mix(text, button, t);
        if (contrastRatio(candidate, button) < 2.0 || contrastRatio(candidate, buttonTop(s)) < 2.0)
            break;
        best = candidate;
    }
    return best;
}

QColor indicatorEdge(const StyleColors& s) {
    const QColor window(s.window);
    const QColor base(s.base);
    const QColor towards(s.windowText);
    for (double t = 0.3; t < 1.0; t += 0.05) {
        const QColor candidate = mix(window, towards, t);
        if (contrastRatio(candidate, window) >= 4.0 && contrastRatio(candidate, base) >= 4.0)
            return candidate;
    }
    return towards;
}

QColor readableOn(const QColor& fixed, const QColor& background) {
    if (contrastRatio(fixed, background) >= 4.5)
        return fixed;
    const QColor towards = luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (double t = 0.05; t < 1.0; t += 0.05) {
        const QColor candidate = mix(fixed, towards, t);
        if (contrastRatio(candidate, background) >= 4.5)
            return candidate;
    }
    return towards;
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace tarvela::ui
