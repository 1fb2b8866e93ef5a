// Draws every picture that resources/resources.qrc embeds, so that the pictures are reviewed and
// redrawn like code instead of being edited by hand. Usage: draw_pictures OUTPUT_DIR
// With --panel-icon SIZE FILE it draws only the program icon at another size, for the install.
//
// The output is byte-for-byte the same on every run: nothing depends on the clock, the screen or
// the locale, and the resolution stored in the files is set explicitly.

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// 96 dpi; without it Qt would store whatever the current default is.
constexpr int kDotsPerMeter = 3780;

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

// Every failure ends the run with a message; a half-written resource folder must not look fine.
class Failure {
public:
    explicit Failure(QString message) : text(std::move(message)) {}
    QString text;
};

void ensure(bool ok, const QString& message) {
    if (!ok) {
        throw Failure(message);
    }
}

QImage newImage(int width, int height, QImage::Format format, QColor fill) {
    QImage image(width, height, format);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(fill);
    return image;
}

void writeImage(const QImage& image, const QString& path, const char* format) {
    ensure(QDir().mkpath(QFileInfo(path).absolutePath()),
           QStringLiteral("cannot create the folder of %1").arg(path));
    QImageWriter writer(path, format);
    if (qstrcmp(format, "jpg") == 0) {
        // Baseline JPEG: older decoders and the screenshot reader expect it.
        writer.setQuality(95);
        writer.setOptimizedWrite(false);
        writer.setProgressiveScanWrite(false);
    }
    ensure(writer.write(image), QStringLiteral("cannot write %1: %2").arg(path, writer.errorString()));
}

// ---------------------------------------------------------------------------------------------
// Colour reduction

// Distance between two colours with alpha; premultiplied so that all fully transparent pixels
// count as one colour, and alpha weighted up because a wrong edge opacity shows more than a
// slightly wrong hue.
std::int64_t colourDistance(QRgb x, QRgb y) {
    const auto channel = [](int value, int alpha) { return value * alpha / 255; };
    const int dr = channel(qRed(x), qAlpha(x)) - channel(qRed(y), qAlpha(y));
    const int dg = channel(qGreen(x), qAlpha(x)) - channel(qGreen(y), qAlpha(y));
    const int db = channel(qBlue(x), qAlpha(x)) - channel(qBlue(y), qAlpha(y));
    const int da = qAlpha(x) - qAlpha(y);
    return std::int64_t{dr} * dr + std::int64_t{dg} * dg + std::int64_t{db} * db + 2 * std::int64_t{da} * da;
}

// Reduces an antialiased drawing to a palette of at most maxColours. The colours the drawing was
// made with come first so that flat areas keep their exact colour; the remaining entries go
// greedily to the edge blends that the palette so far represents worst.
QImage toIndexed(const QImage& source, const std::vector<QRgb>& keyColours, int maxColours) {
    QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    std::map<QRgb, std::int64_t> counts; // ordered, so that ties break the same way on every run
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) == 0) {
                line[x] = qRgba(0, 0, 0, 0);
            }
            ++counts[line[x]];
        }
    }

    std::vector<QRgb> palette;
    if (std::ssize(counts) <= maxColours) {
        for (const auto& entry : counts) {
            palette.push_back(entry.first);
        }
    } else {
        palette = keyColours;
        std::vector<QRgb> colours;
        std::vector<std::int64_t> weights;
        std::vector<std::int64_t> error;
        for (const auto& [colour, count] : counts) {
            colours.push_back(colour);
            weights.push_back(count);
            std::int64_t best = std::numeric_limits<std::int64_t>::max();
            for (const QRgb p : palette) {
                best = std::min(best, colourDistance(colour, p));
            }
            error.push_back(best);
        }
        while (std::ssize(palette) < maxColours) {
            std::size_t worst = 0;
            for (std::size_t i = 1; i < colours.size(); ++i) {
                if (error[i] * weights[i] > error[worst] * weights[worst]) {
                    worst = i;
                }
            }
            if (error[worst] == 0) {
                break;
            }
            const QRgb added = colours[worst];
            palette.push_back(added);
            for (std::size_t i = 0; i < colours.size(); ++i) {
                error[i] = std::min(error[i], colourDistance(colours[i], added));
            }
        }
    }
    ensure(std::ssize(palette) <= maxColours, QStringLiteral("too many key colours"));

    QImage indexed(argb.size(), QImage::Format_Indexed8);
    indexed.setDotsPerMeterX(kDotsPerMeter);
    indexed.setDotsPerMeterY(kDotsPerMeter);
    indexed.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < palette.size(); ++i) {
                if (colourDistance(in[x], palette[i]) < colourDistance(in[x], palette[best])) {
                    best = i;
                }
            }
            out[x] = static_cast<uchar>(best);
        }
    }
    return indexed;
}

// ---------------------------------------------------------------------------------------------
// Seven-segment digits

struct DigitFace {
    const char* name;
    QRgb lit;
    QSize digitSize;
    QSize colonSize;
};

constexpr std::array<DigitFace, 2> kFaces{{
    {"magenta", qRgb(248, 0, 200), QSize(63, 110), QSize(22, 63)},
    {"green", qRgb(0, 248, 40), QSize(63, 109), QSize(21, 63)},
}};

// Unlit segments stay faintly visible, as on a real LED display.
constexpr QRgb kUnlit = qRgb(24, 48, 24);

// Segments a..g, as fractions of the picture size. The timer's screenshot test samples exactly
// these points after scaling the pictures down, so the segment centres are placed on them.
constexpr std::array<QPointF, 7> kSegmentCentres{{
    {0.50, 0.07}, // a top
    {0.86, 0.28}, // b upper right
    {0.86, 0.72}, // c lower right
    {0.50, 0.93}, // d bottom
    {0.14, 0.72}, // e lower left
    {0.14, 0.28}, // f upper left
    {0.50, 0.50}, // g middle
}};

// Bit n set: segment n (a = 0 .. g = 6) is lit.
constexpr std::array<std::uint8_t, 10> kDigitSegments{
    0b0111111, // 0: a b c d e f
    0b0000110, // 1: b c
    0b1011011, // 2: a b g e d
    0b1001111, // 3: a b g c d
    0b1100110, // 4: f g b c
    0b1101101, // 5: a f g c d
    0b1111101, // 6: a f g e d c
    0b0000111, // 7: a b c
    0b1111111, // 8: all
    0b1101111, // 9: a b c d f g
};

bool isLit(int digit, int segment) {
    return (kDigitSegments[static_cast<std::size_t>(digit)] >> segment & 1U) != 0;
}

// A segment is a hexagon whose ends are cut at 45 degrees, so neighbouring segments meet along a
// mitre with an even gap instead of overlapping at the corners.
QPolygonF segmentShape(int segment, QSizeF size) {
    const double thickness = 0.15 * size.width();
    const double half = thickness / 2;
    // Each end stops this far short of the corner point along the segment's axis; across the
    // mitre that leaves a gap of sqrt(2) times as much, about 2 px.
    const double shortfall = 1.5;
    const double left = kSegmentCentres[5].x() * size.width();
    const double right = kSegmentCentres[1].x() * size.width();
    const double top = kSegmentCentres[0].y() * size.height();
    const double middle = kSegmentCentres[6].y() * size.height();
    const double bottom = kSegmentCentres[3].y() * size.height();

    const auto horizontal = [&](double y) {
        const double x0 = left + shortfall;
        const double x1 = right - shortfall;
        return QPolygonF{{
            {x0, y},
            {x0 + half, y - half},
            {x1 - half, y - half},
            {x1, y},
            {x1 - half, y + half},
            {x0 + half, y + half},
        }};
    };
    const auto vertical = [&](double x, double y0, double y1) {
        y0 += shortfall;
        y1 -= shortfall;
        return QPolygonF{{
            {x, y0},
            {x + half, y0 + half},
            {x + half, y1 - half},
            {x, y1},
            {x - half, y1 - half},
            {x - half, y0 + half},
        }};
    };
    switch (segment) {
    case 0:
        return horizontal(top);
    case 1:
        return vertical(right, top, middle);
    case 2:
        return vertical(right, middle, bottom);
    case 3:
        return horizontal(bottom);
    case 4:
        return vertical(left, middle, bottom);
    case 5:
        return vertical(left, top, middle);
    default:
        return horizontal(middle);
    }
}

QImage drawDigit(const DigitFace& face, int digit) {
    QImage image = newImage(face.digitSize.width(), face.digitSize.height(), QImage::Format_RGB32, Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int segment = 0; segment < 7; ++segment) {
        painter.setBrush(QColor::fromRgb(isLit(digit, segment) ? face.lit : kUnlit));
        painter.drawPolygon(segmentShape(segment, face.digitSize));
    }
    return image;
}

QImage drawColon(const DigitFace& face) {
    const QSize size = face.colonSize;
    QImage image = newImage(size.width(), size.height(), QImage::Format_RGB32, Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(face.lit));
    const double dotWidth = 18;
    const double dotHeight = 16;
    const double x = (size.width() - dotWidth) / 2;
    for (const double y : {3.0, 44.0}) {
        painter.drawRoundedRect(QRectF(x, y, dotWidth, dotHeight), 4, 4);
    }
    return image;
}

// The timer window is checked from screenshots in which each digit is only about 17x29 pixels;
// a segment that came out too thin or misplaced would make that check read wrong digits, so the
// written files are read back and sampled the same way here.
void checkDigitContract(const QString& path, int digit, QRgb lit) {
    const QImage written(path);
    ensure(!written.isNull(), QStringLiteral("cannot read back %1").arg(path));
    const QImage small = written.scaled(17, 29, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 40 && std::abs(qGreen(a) - qGreen(b)) <= 40 &&
               std::abs(qBlue(a) - qBlue(b)) <= 40;
    };
    for (int segment = 0; segment < 7; ++segment) {
        const QPointF at = kSegmentCentres[static_cast<std::size_t>(segment)];
        const int x = static_cast<int>(at.x() * small.width());
        const int y = static_cast<int>(at.y() * small.height());
        const QRgb seen = small.pixel(x, y);
        const bool wantLit = isLit(digit, segment);
        ensure(near(seen, wantLit ? lit : kUnlit),
               QStringLiteral("%1: segment %2 at (%3, %4) of the 17x29 copy is %5, expected %6")
                   .arg(path, QChar(u'a' + segment))
                   .arg(x)
                   .arg(y)
                   .arg(QColor::fromRgb(seen).name(),
                        wantLit ? QStringLiteral("lit") : QStringLiteral("unlit")));
    }
}

void writeDigits(const QDir& out) {
    for (const DigitFace& face : kFaces) {
        for (int digit = 0; digit < 10; ++digit) {
            const QString path =
                out.filePath(QStringLiteral("digits/%1_%2.jpg").arg(QLatin1String(face.name)).arg(digit));
            writeImage(drawDigit(face, digit), path, "jpg");
            checkDigitContract(path, digit, face.lit);
        }
        writeImage(drawColon(face),
                   out.filePath(QStringLiteral("digits/%1_colon.jpg").arg(QLatin1String(face.name))), "jpg");
    }
}

// ---------------------------------------------------------------------------------------------
// Icons

// Window icon of the timer strip: a red alarm clock, 16 colours so that it stays crisp in the
// title bar and the task bar.
void writeTimerIcon(const QDir& out) {
    const QColor transparent(0, 0, 0, 0);
    const QColor black(0, 0, 0);
    const QColor darkRed(118, 12, 12);
    const QColor red(214, 30, 30);
    const QColor highlight(246, 120, 110);
    const QColor white(255, 255, 255);
    const QColor faceShade(212, 212, 212);
    const QColor bell(196, 178, 40);
    const QColor bellEdge(112, 100, 16);

    QImage image = newImage(32, 32, QImage::Format_ARGB32_Premultiplied, transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Bells first: the case covers their lower rims.
    for (const double side : {-1.0, 1.0}) {
        painter.save();
        painter.translate(16 + side * 9.5, 7.5);
        painter.rotate(side * 38);
        QPainterPath dome;
        dome.moveTo(-6, 2.5);
        dome.cubicTo(-6, -5.5, 6, -5.5, 6, 2.5);
        dome.closeSubpath();
        painter.setPen(QPen(bellEdge, 1.0));
        painter.setBrush(bell);
        painter.drawPath(dome);
        painter.drawEllipse(QPointF(0, -4.2), 1.4, 1.4);
        painter.restore();
    }

    // Feet.
    painter.setPen(QPen(darkRed, 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 26), QPointF(6.5, 30));
    painter.drawLine(QPointF(22, 26), QPointF(25.5, 30));

    // Case, with a soft highlight on its upper left.
    const QPointF centre(16, 17);
    painter.setPen(QPen(darkRed, 1.2));
    painter.setBrush(red);
    painter.drawEllipse(centre, 11.4, 11.4);
    painter.setPen(QPen(highlight, 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(centre.x() - 9.6, centre.y() - 9.6, 19.2, 19.2), 100 * 16, 60 * 16);

    // Face.
    painter.setPen(QPen(faceShade, 1.0));
    painter.setBrush(white);
    painter.drawEllipse(centre, 8.2, 8.2);

    // Hour marks at 12, 3, 6 and 9, on whole pixels so that they stay black instead of blurring
    // to grey.
    painter.setPen(Qt::NoPen);
    painter.setBrush(black);
    for (const QRect mark :
         {QRect(15, 10, 2, 2), QRect(21, 16, 2, 2), QRect(15, 22, 2, 2), QRect(9, 16, 2, 2)}) {
        painter.drawRect(mark);
    }

    // Hands at two o'clock: two clearly different directions still read as a clock at 16 px.
    painter.setPen(QPen(black, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, centre + QPointF(0, -6.2));
    painter.drawLine(centre, centre + QPointF(3.6, -2.2));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, 1.3, 1.3);
    painter.end();

    // Besides the drawing colours: a grey for the edges of the hands and a see-through olive for
    // the rims of the bells, which would otherwise be matched to reddish blends.
    const std::vector<QRgb> keys{transparent.rgba(), black.rgb(),         darkRed.rgb(),           red.rgb(),
                                 highlight.rgb(),    white.rgb(),         faceShade.rgb(),         bell.rgb(),
                                 bellEdge.rgb(),     qRgb(128, 128, 128), qRgba(112, 100, 16, 110)};
    writeImage(toIndexed(image, keys, 16), out.filePath(QStringLiteral("timer_icon.png")), "png");
}

// Icon of the control panel and of the executable: three overlapping shapes on a white tile. It is
// designed on a 48-pixel grid; other sizes (the desktop's icon theme) are the same drawing scaled.
constexpr int kPanelIconSize = 48;

QImage drawPanelIcon(int size) {
    QImage image = newImage(size, size, QImage::Format_ARGB32_Premultiplied, QColor(0, 0, 0, 0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (size != kPanelIconSize) {
        painter.scale(qreal(size) / kPanelIconSize, qreal(size) / kPanelIconSize);
    }

    const QRectF tile(4.5, 3.5, 37, 37);

    // Drop shadow: stacked translucent outlines, each a pixel larger, give a soft edge without
    // a blur filter.
    painter.setPen(Qt::NoPen);
    for (int spread = 3; spread >= 0; --spread) {
        painter.setBrush(QColor(0, 0, 0, 24));
        painter.drawRoundedRect(tile.translated(2.5, 2.5).adjusted(-spread, -spread, spread, spread),
                                2 + spread, 2 + spread);
    }

    painter.setPen(QPen(QColor(150, 150, 150), 1.0));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(tile, 2, 2);

    const QColor gold(196, 160, 36);
    const QColor blue(44, 104, 222);
    const QColor violet(142, 68, 200);

    painter.setPen(QPen(gold.darker(140), 1.0));
    painter.setBrush(gold);
    painter.drawRect(QRectF(21.5, 20.5, 15, 15));

    painter.setPen(QPen(blue.darker(140), 1.0));
    painter.setBrush(blue);
    painter.drawEllipse(QPointF(17, 18), 9, 9);

    painter.setPen(QPen(violet.darker(140), 1.0));
    QColor violetFill = violet;
    violetFill.setAlpha(220);
    painter.setBrush(violetFill);
    painter.drawPolygon(QPolygonF{{QPointF(25, 12), QPointF(34, 29), QPointF(16, 29)}});
    painter.end();
    return image;
}

void writePanelIcon(const QDir& out) {
    const QImage image = drawPanelIcon(kPanelIconSize);
    writeImage(toIndexed(image, {}, 256), out.filePath(QStringLiteral("panel_icon.png")), "png");

    // The Windows executable icon; it keeps full alpha since the icon format allows it.
    ensure(QImageWriter::supportedImageFormats().contains("ico"),
           QStringLiteral("Qt's ico image plugin is missing, cannot write panel_icon.ico"));
    writeImage(image.convertToFormat(QImage::Format_ARGB32), out.filePath(QStringLiteral("panel_icon.ico")),
               "ico");
}

// The "people" picture of the control panel: one presenter in front of two listeners.
void writePeople(const QDir& out) {
    QImage image = newImage(122, 122, QImage::Format_RGB32, Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Head and shoulders; the shoulders are the top of an ellipse that runs off the bottom edge.
    const auto figure = [](double centreX, double headY, double headRadius, double shoulderWidth) {
        QPainterPath head;
        head.addEllipse(QPointF(centreX, headY), headRadius, headRadius);
        QPainterPath body;
        const double bodyTop = headY + headRadius + 0.28 * headRadius;
        body.addEllipse(QRectF(centreX - shoulderWidth / 2, bodyTop, shoulderWidth, shoulderWidth * 1.3));
        return std::array<QPainterPath, 2>{head, body};
    };

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 56, 80));
    for (const double x : {33.0, 89.0}) {
        for (const QPainterPath& part : figure(x, 36, 14, 52)) {
            painter.drawPath(part);
        }
    }

    // The white outline, drawn as a wide stroke under the fill, separates the front figure from
    // the two behind it.
    const auto front = figure(61, 50, 17, 70);
    painter.setPen(QPen(Qt::white, 5.0));
    painter.setBrush(Qt::white);
    for (const QPainterPath& part : front) {
        painter.drawPath(part);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(32, 160, 208));
    for (const QPainterPath& part : front) {
        painter.drawPath(part);
    }
    painter.end();

    writeImage(image, out.filePath(QStringLiteral("people.jpg")), "jpg");
}

// The cursor over the clickable parts of the panel. Cursors are pixel art: antialiasing would
// blur the one-pixel outline, so the picture is given pixel by pixel.
void writeHandCursor(const QDir& out) {
    constexpr std::array<std::string_view, 32> rows{
        "................................", //
        "...........kkk..................", // the fingertip, hot spot at column 12
        "..........kwwwk.................", //
        ".........kwwwwwk................", //
        ".........kwwwwgk................", //
        ".........kwwwwgk................", //
        ".........kwwwwgk................", //
        ".........kwwwwgk................", //
        ".........kwwwwgkkkkk............", //
        ".........kwwwwgkwwwgk...........", //
        ".........kwwwwgkwwwgkkkkk.......", //
        ".........kwwwwgkwwwgkwwwgk......", //
        "....kkk..kwwwwgkwwwgkwwwgkkkk...", //
        "...kwwwk.kwwwwgkwwwgkwwwgkwwgk..", //
        "...kwwwwkkwwwwgkwwwgkwwwgkwwgk..", //
        "....kwwwwkwwwwgkwwwgkwwwgkwwgk..", //
        "....kwwwwwwwwwgkwwwgkwwwgkwwgk..", //
        ".....kwwwwwwwwwgwwwwgwwwwgwwwk..", //
        ".....kwwwwwwwwwwwwwwwwwwwwwwwk..", //
        "......kwwwwwwwwwwwwwwwwwwwwwwk..", //
        "......kwwwwwwwwwwwwwwwwwwwwwgk..", //
        ".......kwwwwwwwwwwwwwwwwwwwwgk..", //
        ".......kwwwwwwwwwwwwwwwwwwwgk...", //
        "........kwwwwwwwwwwwwwwwwwwgk...", //
        "........kwwwwwwwwwwwwwwwwwwgk...", //
        "........kkkkkkkkkkkkkkkkkkkkk...", //
        "........klllllllllllllllllllk...", //
        "........kbbbbbbbbbbbbbbbbbbbk...", //
        "........kbbbbbbbbbbbbbbbbbbbk...", //
        "........kBBBBBBBBBBBBBBBBBBBk...", //
        "........kkkkkkkkkkkkkkkkkkkkk...", //
        "................................", //
    };
    const std::map<char, QRgb> colours{
        {'.', qRgba(0, 0, 0, 0)},   {'k', qRgb(0, 0, 0)},       {'w', qRgb(255, 255, 255)},
        {'g', qRgb(196, 196, 196)}, {'l', qRgb(120, 170, 240)}, {'b', qRgb(40, 100, 220)},
        {'B', qRgb(20, 52, 140)},
    };

    QImage image(32, 32, QImage::Format_Indexed8);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    QList<QRgb> table;
    std::map<char, uchar> index;
    for (const auto& [key, colour] : colours) {
        index[key] = static_cast<uchar>(table.size());
        table.append(colour);
    }
    image.setColorTable(table);
    for (int y = 0; y < 32; ++y) {
        const std::string_view row = rows[static_cast<std::size_t>(y)];
        ensure(row.size() == 32, QStringLiteral("hand cursor row %1 is not 32 pixels wide").arg(y));
        for (int x = 0; x < 32; ++x) {
            const auto found = index.find(row[static_cast<std::size_t>(x)]);
            ensure(found != index.end(), QStringLiteral("hand cursor row %1 has an unknown colour").arg(y));
            image.setPixel(x, y, found->second);
        }
    }
    // The panel sets the hot spot to (12, 1); it must be the tip of the finger.
    ensure(image.pixel(12, 1) == qRgb(0, 0, 0) && qAlpha(image.pixel(12, 0)) == 0,
           QStringLiteral("the hand cursor's fingertip is not at (12, 1)"));
    writeImage(image, out.filePath(QStringLiteral("hand_cursor.png")), "png");
}

void writeResourceList(const QDir& out) {
    QStringList files;
    for (const DigitFace& face : kFaces) {
        for (int digit = 0; digit < 10; ++digit) {
            files << QStringLiteral("digits/%1_%2.jpg").arg(QLatin1String(face.name)).arg(digit);
        }
        files << QStringLiteral("digits/%1_colon.jpg").arg(QLatin1String(face.name));
    }
    files << QStringLiteral("timer_icon.png") << QStringLiteral("panel_icon.png")
          << QStringLiteral("people.jpg") << QStringLiteral("hand_cursor.png");

    QFile qrc(out.filePath(QStringLiteral("resources.qrc")));
    ensure(qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text),
           QStringLiteral("cannot write %1").arg(qrc.fileName()));
    QTextStream stream(&qrc);
    stream << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n    <qresource prefix=\"/\">\n";
    for (const QString& file : files) {
        stream << "        <file alias=\"" << file << "\">" << file << "</file>\n";
    }
    stream << "    </qresource>\n</RCC>\n";
    stream.flush();
    ensure(stream.status() == QTextStream::Ok && qrc.error() == QFile::NoError,
           QStringLiteral("cannot write %1").arg(qrc.fileName()));
}

} // namespace

int main(int argc, char** argv) {
    // Needed for the image format plugins (jpeg, ico); no display is used.
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool iconOnly = arguments.size() == 4 && arguments.at(1) == QStringLiteral("--panel-icon");
    if (arguments.size() != 2 && !iconOnly) {
        err() << "usage: draw_pictures OUTPUT_DIR\n"
                 "       draw_pictures --panel-icon SIZE FILE.png\n";
        return 2;
    }
    try {
        if (iconOnly) {
            // The icon theme of an installed program wants the icon at sizes the panel never shows.
            bool ok = false;
            const int size = arguments.at(2).toInt(&ok);
            ensure(ok && size >= 16 && size <= 1024, QStringLiteral("bad icon size %1").arg(arguments.at(2)));
            writeImage(drawPanelIcon(size).convertToFormat(QImage::Format_ARGB32), arguments.at(3), "png");
            return 0;
        }
        const QDir out(arguments.at(1));
        ensure(QDir().mkpath(out.path()), QStringLiteral("cannot create %1").arg(out.path()));
        writeDigits(out);
        writeTimerIcon(out);
        writePanelIcon(out);
        writePeople(out);
        writeHandCursor(out);
        writeResourceList(out);
    } catch (const Failure& failure) {
        err() << "draw_pictures: " << failure.text << '\n';
        return 1;
    }
    return 0;
}
