#include "window/qt/art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace art {

namespace {

QPixmap Canvas(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

void Folder(QPainter& g, bool open) {
    QColor body(232, 186, 72), edge(150, 110, 30);
    g.setPen(edge);
    g.setBrush(body.darker(110));
    g.drawRect(1, 3, 6, 2); // the tab
    g.drawRect(1, 4, 13, 9);
    if (open) {
        QPainterPath flap;
        flap.moveTo(3, 7);
        flap.lineTo(15, 7);
        flap.lineTo(13, 13);
        flap.lineTo(1, 13);
        flap.closeSubpath();
        g.setBrush(body.lighter(115));
        g.drawPath(flap);
    }
}

void Page(QPainter& g, bool selected) {
    QColor paper = selected ? QColor(255, 248, 200) : QColor(250, 250, 250);
    g.setPen(QColor(90, 90, 120));
    g.setBrush(paper);
    g.drawRect(3, 1, 10, 13);
    QLinearGradient sky(4, 3, 4, 12);
    sky.setColorAt(0, selected ? QColor(255, 170, 40) : QColor(70, 140, 220));
    sky.setColorAt(1, selected ? QColor(220, 80, 20) : QColor(30, 80, 160));
    g.setPen(Qt::NoPen);
    g.setBrush(sky);
    g.drawRect(5, 3, 7, 6);
    g.setPen(QColor(120, 120, 120));
    g.drawLine(5, 11, 11, 11);
}

} // namespace

QPixmap TreeImage(int index) {
    QPixmap p = Canvas(16, 16);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, false);
    if (index <= 2)
        Folder(g, index == 2);
    else
        Page(g, index == 4);
    return p;
}

QPixmap OnDesktopImage(int index) {
    QPixmap p = TreeImage(index);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.setPen(QPen(Qt::white, 1));
    g.setBrush(QColor(30, 150, 60));
    g.drawEllipse(QRectF(7.5, 7.5, 8, 8));
    g.setPen(QPen(Qt::white, 1.4));
    g.drawPolyline(QPolygonF() << QPointF(9.5, 11.5) << QPointF(11, 13) << QPointF(13.8, 9.8));
    return p;
}

QIcon Arrow(bool up) {
    auto draw = [up](QColor fill, int shift) {
        QPixmap p = Canvas(13, 8);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing, true);
        g.setPen(Qt::NoPen);
        g.setBrush(fill);
        QPolygonF tri;
        if (up)
            tri << QPointF(6.5, 0.5 + shift) << QPointF(12.5, 7.5) << QPointF(0.5, 7.5);
        else
            tri << QPointF(0.5, 0.5 + shift) << QPointF(12.5, 0.5 + shift) << QPointF(6.5, 7.5);
        g.drawPolygon(tri);
        return p;
    };
    QIcon icon;
    icon.addPixmap(draw(QColor(20, 60, 140), 0), QIcon::Normal);
    icon.addPixmap(draw(QColor(10, 30, 90), 1), QIcon::Active);
    icon.addPixmap(draw(QColor(160, 160, 160), 0), QIcon::Disabled);
    return icon;
}

QPixmap AppIconPixmap(int size) {
    QPixmap p = Canvas(size, size);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.scale(size / 32.0, size / 32.0);
    QLinearGradient bg(0, 0, 32, 32);
    bg.setColorAt(0, QColor(40, 120, 200));
    bg.setColorAt(1, QColor(10, 40, 110));
    g.setPen(QColor(8, 30, 80));
    g.setBrush(bg);
    g.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    g.setPen(QPen(QColor(255, 214, 90), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.drawPolyline(QPolygonF() << QPointF(9, 9) << QPointF(23, 9) << QPointF(9, 23)
                               << QPointF(23, 23));
    return p;
}

QIcon AppIcon() {
    QIcon icon;
    for (int s : {16, 32, 48, 64, 128})
        icon.addPixmap(AppIconPixmap(s));
    return icon;
}

QPixmap PlayerBitmap() {
    QPixmap p(100, 28);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient bg(0, 0, 100, 0);
    bg.setColorAt(0, QColor(30, 30, 30));
    bg.setColorAt(1, QColor(90, 20, 20));
    g.fillRect(p.rect(), bg);
    g.setBrush(QColor(230, 60, 40));
    g.setPen(Qt::NoPen);
    g.drawPolygon(QPolygonF() << QPointF(8, 6) << QPointF(22, 14) << QPointF(8, 22));
    g.setPen(Qt::white);
    QFont f("Arial");
    f.setPixelSize(10);
    f.setBold(true);
    g.setFont(f);
    g.drawText(QRect(28, 1, 70, 26), Qt::AlignVCenter | Qt::AlignLeft, "Vector\nMotion");
    return p;
}

} // namespace art
