// Draws the program's pictures (the left strip, the style picture, the button icons, the stop
// button, the program icon) into PNG files, and the program icon also as the Windows icon file
// tarvela.ico: tarvela_draw_art <folder>. The results are committed
// under ui/art and compiled into the program as resources.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor kInk(40, 52, 70);
const QColor kWork(52, 120, 200);
const QColor kHome(214, 122, 40);
const QColor kDrive(96, 168, 96);

QImage canvas(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A monitor on a stand, its screen in `screen`.
void monitor(QPainter& p, QRectF r, const QColor& screen) {
    p.setPen(QPen(kInk, r.width() * 0.06));
    p.setBrush(screen);
    const QRectF body(r.left(), r.top(), r.width(), r.height() * 0.7);
    p.drawRoundedRect(body, r.width() * 0.08, r.width() * 0.08);
    p.setBrush(kInk);
    p.drawRect(QRectF(r.center().x() - r.width() * 0.08, body.bottom(), r.width() * 0.16, r.height() * 0.18));
    p.drawRoundedRect(
        QRectF(r.left() + r.width() * 0.2, r.bottom() - r.height() * 0.1, r.width() * 0.6, r.height() * 0.1), 2, 2);
}

// A house: roof and walls.
void house(QPainter& p, QRectF r, const QColor& wall) {
    p.setPen(QPen(kInk, r.width() * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(wall);
    QPolygonF shape;
    shape << QPointF(r.center().x(), r.top()) << QPointF(r.right(), r.top() + r.height() * 0.45)
          << QPointF(r.right() - r.width() * 0.12, r.top() + r.height() * 0.45)
          << QPointF(r.right() - r.width() * 0.12, r.bottom()) << QPointF(r.left() + r.width() * 0.12, r.bottom())
          << QPointF(r.left() + r.width() * 0.12, r.top() + r.height() * 0.45)
          << QPointF(r.left(), r.top() + r.height() * 0.45);
    p.drawPolygon(shape);
    p.setBrush(Qt::white);
    p.drawRect(
        QRectF(r.center().x() - r.width() * 0.1, r.bottom() - r.height() * 0.35, r.width() * 0.2, r.height() * 0.35));
}

// A flash drive lying on its side.
void drive(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, r.height() * 0.08));
    p.setBrush(kDrive);
    p.drawRoundedRect(QRectF(r.left(), r.top(), r.width() * 0.72, r.height()), r.height() * 0.2, r.height() * 0.2);
    p.setBrush(QColor(200, 204, 210));
    p.drawRect(QRectF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.2, r.width() * 0.28, r.height() * 0.6));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, qreal width) {
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const qreal angle = qAtan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = width * 2.6;
    QPolygonF tip;
    tip << to << to - QPointF(head * qCos(angle - 0.5), head * qSin(angle - 0.5))
        << to - QPointF(head * qCos(angle + 0.5), head * qSin(angle + 0.5));
    p.setBrush(color);
    p.drawPolygon(tip);
}

QImage strip() {
    QImage image = canvas(97, 400);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Transparent: the strip's own colour shows through.
    monitor(p, QRectF(22, 30, 54, 52), kWork);
    arrow(p, QPointF(48, 100), QPointF(48, 150), QColor(230, 232, 236), 4);
    drive(p, QRectF(20, 166, 58, 24));
    arrow(p, QPointF(48, 206), QPointF(48, 256), QColor(230, 232, 236), 4);
    house(p, QRectF(22, 272, 54, 54), kHome);
    p.setPen(QColor(230, 232, 236));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 348, 97, 30), Qt::AlignCenter, QStringLiteral("Tarvela"));
    return image;
}

QImage stylePicture() {
    QImage image = canvas(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(236, 226, 200));
    QPainterPath palette;
    palette.addEllipse(QRectF(4, 8, 56, 48));
    QPainterPath hole;
    hole.addEllipse(QRectF(38, 36, 10, 10));
    p.drawPath(palette.subtracted(hole));
    const QColor dabs[] = {QColor(200, 60, 60), QColor(60, 140, 210), QColor(80, 170, 80), QColor(230, 190, 50)};
    const QPointF at[] = {QPointF(18, 22), QPointF(32, 16), QPointF(46, 22), QPointF(16, 38)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(dabs[i]);
        p.setPen(Qt::NoPen);
        p.drawEllipse(at[i], 6, 6);
    }
    return image;
}

// A round badge in `color` with a white mark drawn by `mark`.
QImage badge(const QColor& color, const std::function<void(QPainter&)>& mark) {
    QImage image = canvas(40, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(2, 2, 36, 36));
    mark(p);
    return image;
}

QImage plus() {
    return badge(QColor(60, 150, 70), [](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(9, 17, 22, 6), 2, 2);
        p.drawRoundedRect(QRectF(17, 9, 6, 22), 2, 2);
    });
}

QImage cross() {
    return badge(QColor(196, 58, 50), [](QPainter& p) {
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13, 13), QPointF(27, 27));
        p.drawLine(QPointF(27, 13), QPointF(13, 27));
    });
}

QImage pencil() {
    QImage image = canvas(40, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(20, 20);
    p.rotate(-45);
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(240, 190, 60));
    p.drawRect(QRectF(-14, -5, 22, 10));
    p.setBrush(QColor(230, 120, 120));
    p.drawRect(QRectF(-18, -5, 4, 10));
    p.setBrush(QColor(236, 210, 170));
    QPolygonF tip;
    tip << QPointF(8, -5) << QPointF(18, 0) << QPointF(8, 5);
    p.drawPolygon(tip);
    return image;
}

// From one computer to the other through the drive.
QImage direction(bool workFirst) {
    QImage image = canvas(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF left(2, 14, 24, 24);
    const QRectF right(38, 14, 24, 24);
    if (workFirst) {
        monitor(p, left, kWork);
        house(p, right, kHome);
    } else {
        house(p, left, kHome);
        monitor(p, right, kWork);
    }
    arrow(p, QPointF(12, 50), QPointF(54, 50), workFirst ? kWork : kHome, 4);
    return image;
}

QImage stop() {
    QImage image = canvas(56, 56);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const qreal a = M_PI / 8 + i * M_PI / 4;
        octagon << QPointF(28 + 25 * qCos(a), 28 + 25 * qSin(a));
    }
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(QColor(200, 40, 40));
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(18, 18, 20, 20), 3, 3);
    return image;
}

QImage icon() {
    QImage image = canvas(128, 128);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(62, 74, 92));
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);
    monitor(p, QRectF(14, 22, 44, 42), kWork);
    house(p, QRectF(70, 20, 44, 44), kHome);
    drive(p, QRectF(38, 80, 52, 22));
    return image;
}

void putLe16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xff)).append(static_cast<char>((v >> 8) & 0xff));
}

void putLe32(QByteArray& out, qint64 v) {
    putLe16(out, static_cast<int>(v & 0xffff));
    putLe16(out, static_cast<int>((v >> 16) & 0xffff));
}

// An icon file with the picture at the sizes Explorer and the taskbar use, each entry a PNG (read
// by Windows Vista and later).
bool writeIco(const QImage& picture, const QString& path) {
    const int sizes[] = {16, 24, 32, 48, 64, 128};
    QList<QByteArray> pngs;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(&buffer, "PNG"))
            return false;
        pngs << png;
    }
    QByteArray ico;
    putLe16(ico, 0); // reserved
    putLe16(ico, 1); // icon
    putLe16(ico, static_cast<int>(pngs.size()));
    qint64 offset = 6 + 16 * pngs.size();
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        ico.append(static_cast<char>(sizes[i] & 0xff)).append(static_cast<char>(sizes[i] & 0xff)); // 256 would be 0
        ico.append('\0').append('\0');                                                          // no palette
        putLe16(ico, 1);                                                                         // planes
        putLe16(ico, 32);                                                                        // bits per pixel
        putLe32(ico, pngs[i].size());
        putLe32(ico, offset);
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs)
        ico.append(png);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(ico) == ico.size();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const std::pair<const char*, std::function<QImage()>> pictures[] = {
        {"strip.png", strip},
        {"style.png", stylePicture},
        {"add.png", plus},
        {"delete.png", cross},
        {"edit.png", pencil},
        {"work_home.png", [] { return direction(true); }},
        {"home_work.png", [] { return direction(false); }},
        {"stop.png", stop},
        {"tarvela.png", icon},
    };
    for (const auto& [name, draw] : pictures) {
        const QString path = out.filePath(QString::fromLatin1(name));
        if (!draw().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString ico = out.filePath(QStringLiteral("tarvela.ico"));
    if (!writeIco(icon(), ico)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico));
        return 1;
    }
    return 0;
}
