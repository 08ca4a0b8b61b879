// Draws the suite's skin: every picture the skinned controls load by name (button slices, the
// form's frame pieces, slider parts, the level meter's two pictures, the faders' knobs), as PNG
// files in the folder given on the command line. The pictures in resources/skin are this program's
// output (resources/skin/generate.sh runs it); a test checks that the two agree.
//
// Every picture is drawn twice: <name>.png for screens at 100% and <name>@2x.png, twice as large,
// for screens at 200%. The large one is drawn afresh at that scale (finer curves, gradients and
// diagonals), not enlarged from the small one, so the controls stay sharp on those screens. All
// drawing below is in the small picture's units; canvas() and pixels() map them to the scale.
//
// One light, quiet look throughout: a pale grey-blue window colour, soft borders, gently shaded
// raised parts, sunken grooves, and one blue accent for highlights.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// --- The palette ---

const QColor kWindow(0xE8, 0xEC, 0xF0);    // the form and slider backgrounds
const QColor kOutline(0xAE, 0xB7, 0xC2);   // the form's outer line
const QColor kShine(0xF8, 0xFA, 0xFC);     // highlights on raised edges
const QColor kEdgeShade(0xD2, 0xD8, 0xDF); // inner shade of the frame
const QColor kBorder(0x8E, 0x99, 0xA6);    // borders of raised parts
const QColor kBorderDark(0x6E, 0x7A, 0x87);
const QColor kDisabledBorder(0xC4, 0xCB, 0xD3);
const QColor kDisabledFill(0xF0, 0xF2, 0xF4);
const QColor kGrooveTop(0x9A, 0xA5, 0xB1);
const QColor kGrooveFill(0xCB, 0xD2, 0xDA);
const QColor kAccent(0x3B, 0x7D, 0xD8);
const QColor kAccentDark(0x2A, 0x5F, 0xA8);
const QColor kAccentLight(0x8C, 0xBA, 0xF0);

QString g_folder;
int g_written = 0;
bool g_failed = false;
// The scale of the pictures being drawn (1 or 2) and the suffix their names take.
int g_scale = 1;
QString g_suffix;

// A transparent picture of width x height units; a painter on it draws in those units.
QImage canvas(int width, int height)
{
    QImage image(width * g_scale, height * g_scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(g_scale);
    image.fill(Qt::transparent);
    return image;
}

QSizeF unitSize(const QImage& image)
{
    return image.deviceIndependentSize();
}

void save(const QImage& image, const char* name)
{
    const QString path = QDir(g_folder).filePath(QString::fromLatin1(name) + g_suffix + QStringLiteral(".png"));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        g_failed = true;
        return;
    }
    ++g_written;
}

QLinearGradient vertical(int top, int bottom, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

// A raised, rounded part: an outline, a shaded face and a light first row inside the outline.
struct Raised {
    QColor border;
    QColor faceTop;
    QColor faceBottom;
    QColor shine;
};

void drawRaised(QPainter& painter, const QRectF& box, qreal radius, const Raised& look)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outer;
    outer.addRoundedRect(box, radius, radius);
    painter.fillPath(outer, look.border);
    const QRectF inner = box.adjusted(1, 1, -1, -1);
    QPainterPath face;
    face.addRoundedRect(inner, radius - 1, radius - 1);
    painter.fillPath(face, vertical(int(inner.top()), int(inner.bottom()), look.faceTop, look.faceBottom));
    if (look.shine.alpha() > 0) {
        painter.save();
        painter.setClipPath(face);
        painter.fillRect(QRectF(inner.left(), inner.top(), inner.width(), 1), look.shine);
        painter.restore();
    }
}

// --- Buttons: one whole button cut into its left end, centre and right end ---

constexpr int kButtonHeight = 25;
constexpr int kButtonEnd = 8;
constexpr int kButtonCentre = 4;

void buttonSet(const Raised& look, const char* left, const char* centre, const char* right, bool sunken)
{
    const int width = 2 * kButtonEnd + kButtonCentre;
    QImage whole = canvas(width, kButtonHeight);
    {
        QPainter painter(&whole);
        drawRaised(painter, QRectF(0, 0, width, kButtonHeight), 5, look);
        if (sunken) {
            // A soft shadow along the inner top edge of a pressed button.
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath face;
            face.addRoundedRect(QRectF(1, 1, width - 2, kButtonHeight - 2), 4, 4);
            painter.setClipPath(face);
            painter.fillRect(QRectF(1, 1, width - 2, 2), vertical(1, 3, QColor(0x5A, 0x67, 0x75, 70), QColor(0x5A, 0x67, 0x75, 0)));
        }
    }
    const auto slice = [&whole](int x, int sliceWidth) {
        return whole.copy(x * g_scale, 0, sliceWidth * g_scale, kButtonHeight * g_scale);
    };
    save(slice(0, kButtonEnd), left);
    save(slice(kButtonEnd, kButtonCentre), centre);
    save(slice(kButtonEnd + kButtonCentre, kButtonEnd), right);
}

void buttons()
{
    buttonSet({kBorder, QColor(0xFF, 0xFF, 0xFF), QColor(0xE2, 0xE7, 0xED), kShine}, "Btnleft", "Btncenter", "Btnright",
              false);
    buttonSet({kBorderDark, QColor(0xCF, 0xD6, 0xDF), QColor(0xDE, 0xE4, 0xEA), QColor(0, 0, 0, 0)}, "BtnleftDown",
              "BtncenterDown", "BtnrightDown", true);
    buttonSet({kDisabledBorder, kDisabledFill, kDisabledFill, QColor(0, 0, 0, 0)}, "BtnleftDisabled", "BtncenterDisabled",
              "BtnrightDisabled", false);
}

// --- The form's frame: a thin bevel around the window colour ---

constexpr int kFrame = 6;
constexpr int kFrameTile = 32;

QColor mix(const QColor& from, const QColor& to, double t)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t, from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

// The colour at distance d (0 = the outer edge, in units) into a frame side; the bottom and right
// sides lie in the shade. One unit of outline, one of highlight, then a blend to the window colour.
QColor frameColor(double d, bool shaded)
{
    if (d < 1)
        return kOutline;
    if (d < 2)
        return shaded ? kEdgeShade : kShine;
    const QColor from = shaded ? kEdgeShade : QColor(0xF0, 0xF3, 0xF6);
    return mix(from, kWindow, std::clamp((d - 2.5) / 3.0, 0.0, 1.0));
}

// A picture of width x height units coloured pixel by pixel; colorAt gets the centre of each pixel
// in units, so a picture at scale 2 samples the same rule twice as finely.
QImage pixels(int width, int height, const std::function<QColor(double, double)>& colorAt)
{
    QImage image = canvas(width, height);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, colorAt((x + 0.5) / g_scale, (y + 0.5) / g_scale));
    }
    return image;
}

void form()
{
    // Distances from the far side of a piece kFrame units across.
    const auto fromFarSide = [](double d) { return kFrame - d; };
    save(pixels(kFrameTile, kFrameTile, [](double, double) { return kWindow; }), "center");
    save(pixels(kFrameTile, kFrame, [](double, double y) { return frameColor(y, false); }), "top");
    save(pixels(kFrameTile, kFrame, [fromFarSide](double, double y) { return frameColor(fromFarSide(y), true); }), "bot");
    save(pixels(kFrame, kFrameTile, [](double x, double) { return frameColor(x, false); }), "left");
    save(pixels(kFrame, kFrameTile, [fromFarSide](double x, double) { return frameColor(fromFarSide(x), true); }), "right");
    // Corners mitre the two sides that meet there.
    save(pixels(kFrame, kFrame, [](double x, double y) { return y <= x ? frameColor(y, false) : frameColor(x, false); }),
         "topleft");
    save(pixels(kFrame, kFrame,
                [fromFarSide](double x, double y) { return y <= fromFarSide(x) ? frameColor(y, false) : frameColor(fromFarSide(x), true); }),
         "topright");
    save(pixels(kFrame, kFrame,
                [fromFarSide](double x, double y) { return x <= fromFarSide(y) ? frameColor(x, false) : frameColor(fromFarSide(y), true); }),
         "botLeft");
    save(pixels(kFrame, kFrame,
                [fromFarSide](double x, double y) { return fromFarSide(y) <= fromFarSide(x) ? frameColor(fromFarSide(y), true) : frameColor(fromFarSide(x), true); }),
         "botRight");
}

// --- Sliders ---

constexpr int kSliderThickness = 20; // the thumb's extent across the slider
constexpr int kThumbLength = 11;     // and along it
constexpr int kGroove = 6;
constexpr int kGrooveTile = 4;

// The groove's colour at distance d (0..kGroove units) across it: a dark upper edge, a shaded
// inside, a light lower edge, one unit each. `lit` gives the accent version for the highlighted range.
QColor grooveColor(double d, bool lit)
{
    if (d < 1)
        return lit ? kAccentDark : kGrooveTop;
    if (d >= kGroove - 1)
        return lit ? kAccentLight : kShine;
    const QColor from = lit ? kAccent : QColor(0xC2, 0xCA, 0xD3);
    const QColor to = lit ? QColor(0x5A, 0x98, 0xE6) : QColor(0xD6, 0xDC, 0xE3);
    return mix(from, to, std::clamp((d - 1.5) / double(kGroove - 3), 0.0, 1.0));
}

// A groove end: the groove with its outer end rounded off (alpha outside a circle of the groove's
// radius). `along` is the distance along the groove from the rounded end, `across` the distance
// across it.
QColor grooveEnd(double along, double across)
{
    const double radius = kGroove / 2.0;
    const double cx = radius;
    const double cy = radius;
    const double dx = along - cx;
    const double dy = across - cy;
    if (along < radius && dx * dx + dy * dy > radius * radius)
        return QColor(0, 0, 0, 0);
    return grooveColor(across, false);
}

void drawThumb(QImage& image, bool horizontalGrip)
{
    QPainter painter(&image);
    const Raised look{kBorderDark, QColor(0xFF, 0xFF, 0xFF), QColor(0xDA, 0xE0, 0xE7), kShine};
    const QSize size = unitSize(image).toSize();
    drawRaised(painter, QRectF(QPointF(0, 0), size), 3, look);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A short accent grip across the thumb's middle.
    if (horizontalGrip)
        painter.fillRect(QRect(3, size.height() / 2, size.width() - 6, 1), kAccent);
    else
        painter.fillRect(QRect(size.width() / 2, 3, 1, size.height() - 6), kAccent);
}

void sliders()
{
    QImage thumbH = canvas(kThumbLength, kSliderThickness);
    drawThumb(thumbH, false);
    save(thumbH, "thumbhorz");
    QImage thumbV = canvas(kSliderThickness, kThumbLength);
    drawThumb(thumbV, true);
    save(thumbV, "thumbvert");

    save(pixels(8, 8, [](double, double) { return kWindow; }), "backgroundhorz");
    save(pixels(8, 8, [](double, double) { return kWindow; }), "backgroundvert");

    save(pixels(kGrooveTile, kGroove, [](double, double y) { return grooveColor(y, false); }), "channelhorz");
    save(pixels(kGrooveTile, kGroove, [](double, double y) { return grooveColor(y, true); }), "channelsel");
    save(pixels(kGrooveTile, kGroove, [](double x, double y) { return grooveEnd(x, y); }), "channelhorzLeft");
    save(pixels(kGrooveTile, kGroove, [](double x, double y) { return grooveEnd(kGrooveTile - x, y); }), "channelhorzRight");

    save(pixels(kGroove, kGrooveTile, [](double x, double) { return grooveColor(x, false); }), "channelvert");
    save(pixels(kGroove, kGrooveTile, [](double x, double y) { return grooveEnd(y, x); }), "channelverttop");
    save(pixels(kGroove, kGrooveTile, [](double x, double y) { return grooveEnd(kGrooveTile - y, x); }), "channelvertBottom");
}

// --- The level meter: an unlit and a lit bar, stretched to the meter ---

void meter()
{
    constexpr int width = 16;
    constexpr int height = 128;
    QImage unlit = canvas(width, height);
    {
        QPainter painter(&unlit);
        painter.fillRect(QRect(0, 0, width, height), vertical(0, height, QColor(0x20, 0x26, 0x2E), QColor(0x14, 0x18, 0x1D)));
        painter.fillRect(QRect(0, 0, 1, height), QColor(0x0E, 0x11, 0x15));
        painter.fillRect(QRect(width - 1, 0, 1, height), QColor(0x2A, 0x31, 0x3A));
    }
    save(unlit, "BG");

    QImage lit = canvas(width, height);
    {
        QPainter painter(&lit);
        QLinearGradient level(0, height, 0, 0);
        level.setColorAt(0.00, QColor(0x2E, 0xA8, 0x64));
        level.setColorAt(0.60, QColor(0x5C, 0xC9, 0x6E));
        level.setColorAt(0.78, QColor(0xE9, 0xC4, 0x46));
        level.setColorAt(0.90, QColor(0xF0, 0x8A, 0x3C));
        level.setColorAt(1.00, QColor(0xE5, 0x48, 0x4D));
        painter.fillRect(QRect(0, 0, width, height), level);
        // A light stripe down the left gives the bar some roundness.
        painter.fillRect(QRect(2, 0, 3, height), QColor(255, 255, 255, 45));
        painter.fillRect(QRect(width - 3, 0, 3, height), QColor(0, 0, 0, 40));
    }
    save(lit, "FG");
}

// --- The recorder's fader knobs ---

constexpr int kKnobWidth = 26;
constexpr int kKnobHeight = 12;

void capKnob(const char* name, const Raised& look, const QColor& line)
{
    QImage knob = canvas(kKnobWidth, kKnobHeight);
    QPainter painter(&knob);
    drawRaised(painter, QRectF(0, 0, kKnobWidth, kKnobHeight), 3, look);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(3, kKnobHeight / 2, kKnobWidth - 6, 1), line);
    painter.end();
    save(knob, name);
}

constexpr int kRoundKnob = 18;

void roundKnob(const char* name, const QColor& ring, const QColor& light, const QColor& dark, const QColor& mark)
{
    QImage knob = canvas(kRoundKnob, kRoundKnob);
    QPainter painter(&knob);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, kRoundKnob - 1, kRoundKnob - 1);
    painter.setPen(QPen(ring, 1.5));
    QRadialGradient face(kRoundKnob * 0.38, kRoundKnob * 0.32, kRoundKnob * 0.75);
    face.setColorAt(0, light);
    face.setColorAt(1, dark);
    painter.setBrush(face);
    painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(mark, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4.5, kRoundKnob / 2.0), QPointF(kRoundKnob - 4.5, kRoundKnob / 2.0));
    painter.end();
    save(knob, name);
}

void knobs()
{
    const Raised grey{kBorderDark, QColor(0xFC, 0xFD, 0xFE), QColor(0xD6, 0xDC, 0xE3), kShine};
    const Raised greyFocused{kAccent, QColor(0xFF, 0xFF, 0xFF), QColor(0xDC, 0xE6, 0xF2), kShine};
    const Raised greyDisabled{kDisabledBorder, kDisabledFill, kDisabledFill, QColor(0, 0, 0, 0)};
    capKnob("THUMB", grey, QColor(0x4E, 0x59, 0x65));
    capKnob("THUMBHIGH", greyFocused, kAccent);
    capKnob("THUMBDIS", greyDisabled, kDisabledBorder);

    const Raised blue{kAccentDark, QColor(0x7D, 0xB0, 0xEE), QColor(0x3C, 0x78, 0xC4), QColor(0xB8, 0xD5, 0xF6)};
    const Raised blueFocused{QColor(0x1C, 0x4A, 0x86), QColor(0x9C, 0xC6, 0xF6), QColor(0x4C, 0x89, 0xD6),
                             QColor(0xD4, 0xE6, 0xFB)};
    const Raised blueDisabled{QColor(0xA9, 0xB7, 0xC8), QColor(0xDD, 0xE6, 0xF0), QColor(0xD2, 0xDC, 0xE8),
                              QColor(0, 0, 0, 0)};
    capKnob("THUMBBLUE", blue, QColor(0xFF, 0xFF, 0xFF));
    capKnob("THUMBHIGHBLUE", blueFocused, QColor(0xFF, 0xFF, 0xFF));
    capKnob("THUMBDISBLUE", blueDisabled, QColor(0xF4, 0xF7, 0xFB));

    roundKnob("THUMB2", QColor(0x2A, 0x31, 0x3A), QColor(0x6A, 0x76, 0x84), QColor(0x2E, 0x36, 0x40), kShine);
    roundKnob("THUMB2H", kAccent, QColor(0x74, 0x86, 0x9C), QColor(0x33, 0x3E, 0x4B), kAccentLight);
    roundKnob("THUMB2DIS", kDisabledBorder, QColor(0xE6, 0xE9, 0xED), QColor(0xCD, 0xD3, 0xDA), QColor(0xF4, 0xF6, 0xF8));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(g_folder)) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    for (const int scale : {1, 2}) {
        g_scale = scale;
        g_suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        buttons();
        form();
        sliders();
        meter();
        knobs();
    }
    std::printf("%d pictures in %s\n", g_written, qPrintable(g_folder));
    return g_failed ? 1 : 0;
}
