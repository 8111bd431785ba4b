// Writes Velmora's icon, the red triangle of its window icon, as an SVG and as PNGs of the
// given sizes, from one description of the shape, so that the two never differ.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cstdio>

namespace {

// In a 256-unit square.
const QPolygonF Outer{{128, 20}, {240, 228}, {16, 228}};
const QPolygonF Inner{{128, 58}, {208, 208}, {48, 208}};
const QColor Fill(0xd4, 0x00, 0x00);
const QColor Edge(0x5a, 0x00, 0x00);
const QColor Light(0xff, 0x2a, 0x2a, 0x59);
constexpr double EdgeWidth = 10;

QString svgPoints(const QPolygonF &polygon)
{
    QStringList points;
    for (const QPointF &p : polygon)
        points << QStringLiteral("%1 %2").arg(p.x()).arg(p.y());
    return QStringLiteral("M") + points.join(QStringLiteral(" L")) + QStringLiteral(" Z");
}

bool writeSvg(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream svg(&file);
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
        << "  <path d=\"" << svgPoints(Outer) << "\" fill=\"" << Fill.name() << "\" stroke=\"" << Edge.name()
        << "\" stroke-width=\"" << EdgeWidth << "\" stroke-linejoin=\"round\"/>\n"
        << "  <path d=\"" << svgPoints(Inner) << "\" fill=\"" << QColor(Light.rgb()).name() << "\" fill-opacity=\""
        << QString::number(Light.alphaF(), 'f', 2) << "\"/>\n"
        << "</svg>\n";
    return true;
}

bool writePng(const QString &fileName, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    painter.setPen(QPen(Edge, EdgeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Fill);
    painter.drawPolygon(Outer);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Light);
    painter.drawPolygon(Inner);
    painter.end();
    return image.save(fileName, "PNG");
}

} // namespace

// make_icons DIR SIZE...: DIR/velmora.svg and DIR/velmora-SIZE.png.
int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fputs("usage: make_icons DIR SIZE...\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!writeSvg(dir + QStringLiteral("/velmora.svg")))
        return 1;
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || !writePng(QStringLiteral("%1/velmora-%2.png").arg(dir).arg(size), size))
            return 1;
    }
    return 0;
}
