#include "charts/MetafileEngine.h"

#include <QFontMetricsF>
#include <QGradient>
#include <QPainterPath>
#include <QTextItem>
#include <cmath>

namespace nubrix::charts {

namespace {

QRgb Opaque(const QColor& colour) { return colour.rgb() & 0xFFFFFF; }

// A gradient has no counterpart here: its stops' average colour stands for it.
QRgb BrushColour(const QBrush& brush) {
  if (const QGradient* gradient = brush.gradient()) {
    double r = 0, g = 0, b = 0;
    const QGradientStops stops = gradient->stops();
    for (const auto& stop : stops) {
      r += stop.second.redF();
      g += stop.second.greenF();
      b += stop.second.blueF();
    }
    const auto n = static_cast<double>(std::max<qsizetype>(1, stops.size()));
    return Opaque(QColor::fromRgbF(static_cast<float>(r / n), static_cast<float>(g / n),
                                   static_cast<float>(b / n)));
  }
  return Opaque(brush.color());
}

class TMetafileEngine : public QPaintEngine {
 public:
  explicit TMetafileEngine(IMetafileWriter* writer) : QPaintEngine(AllFeatures), Writer_(writer) {}

  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  Type type() const override { return User; }

  void updateState(const QPaintEngineState& changed) override {
    const DirtyFlags flags = changed.state();
    if (flags & DirtyPen) Pen_ = changed.pen();
    if (flags & DirtyBrush) Brush_ = changed.brush();
    if (flags & DirtyFont) Font_ = changed.font();
    if (flags & DirtyTransform) Transform_ = changed.transform();
    if (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) {
      Clipped_ = changed.isClipEnabled() && changed.clipOperation() != Qt::NoClip;
      if (Clipped_) {
        const QRectF area = (flags & DirtyClipPath) ? changed.clipPath().boundingRect()
                                                    : QRectF(changed.clipRegion().boundingRect());
        Clip_ = changed.transform().mapRect(area);
      }
    }
  }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    QPolygonF polygon;
    for (int i = 0; i < count; ++i) polygon << Transform_.map(points[i]);
    if (mode == PolylineMode) {
      EmitLine(polygon);
    } else {
      EmitShape(polygon, PenSpec(), BrushSpec());
    }
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i)
      EmitShape(Transform_.map(QPolygonF(rects[i])), PenSpec(), BrushSpec());
  }

  void drawLines(const QLineF* lines, int count) override {
    for (int i = 0; i < count; ++i)
      EmitLine(QPolygonF{Transform_.map(lines[i].p1()), Transform_.map(lines[i].p2())});
  }

  // Pies, ellipses and rounded shapes arrive as paths: filled as polygons, outlined as lines.
  void drawPath(const QPainterPath& path) override {
    const TBrushSpec brush = BrushSpec();
    const TPenSpec pen = PenSpec();
    const QList<QPolygonF> outlines = path.toSubpathPolygons(Transform_);
    if (outlines.size() == 1 && outlines.front().isClosed()) {
      EmitShape(outlines.front(), pen, brush);
      return;
    }
    if (brush.Visible) {
      for (const QPolygonF& fill : path.toFillPolygons(Transform_))
        EmitShape(fill, TPenSpec{false}, brush);
    }
    if (pen.Visible) {
      for (const QPolygonF& outline : outlines) EmitLine(outline);
    }
  }

  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QString text = item.text();
    if (text.isEmpty()) return;
    const QFont font = item.font();
    if (!Writer_->CanWrite(text)) {
      // Glyphs the format cannot carry are drawn as their outlines.
      QPainterPath glyphs;
      glyphs.addText(p, font, text);
      const TBrushSpec ink{true, Opaque(Pen_.color())};
      for (const QPolygonF& fill : glyphs.toFillPolygons(Transform_))
        EmitShape(fill, TPenSpec{false}, ink);
      return;
    }
    TFontSpec spec;
    spec.Family = font.family();
    spec.PixelHeight = font.pixelSize() > 0
                           ? font.pixelSize()
                           : static_cast<int>(std::lround(font.pointSizeF() * 96 / 72));
    spec.Bold = font.bold();
    spec.Italic = font.italic();
    const QFontMetricsF metrics(font);
    std::vector<int> advances;
    double x = 0;
    int placed = 0;
    for (const QChar c : text) {
      x += metrics.horizontalAdvance(c);
      const int next = static_cast<int>(std::lround(x));
      advances.push_back(next - placed);
      placed = next;
    }
    Writer_->Text(Transform_.map(p).toPoint(), text, spec, Opaque(Pen_.color()), advances);
  }

  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

 private:
  TPenSpec PenSpec() const {
    if (Pen_.style() == Qt::NoPen) return TPenSpec{false};
    const double scale = std::sqrt(std::fabs(Transform_.determinant()));
    const int style = Pen_.style() == Qt::DashLine ? 1 : Pen_.style() == Qt::DotLine ? 2 : 0;
    return {true, style, std::max(1, static_cast<int>(std::lround(Pen_.widthF() * scale))),
            Opaque(Pen_.color())};
  }
  TBrushSpec BrushSpec() const {
    if (Brush_.style() == Qt::NoBrush) return TBrushSpec{false};
    return {true, BrushColour(Brush_)};
  }
  void EmitShape(QPolygonF polygon, const TPenSpec& pen, const TBrushSpec& brush) {
    if (Clipped_) polygon = polygon.intersected(QPolygonF(Clip_));
    if (polygon.size() < 3) return;
    if (polygon.isClosed()) polygon.removeLast();
    Writer_->Polygon(polygon.toPolygon(), pen, brush);
  }
  void EmitLine(const QPolygonF& polygon) {
    const TPenSpec pen = PenSpec();
    if (!pen.Visible || polygon.size() < 2) return;
    if (Clipped_ &&
        !Clip_.adjusted(-1, -1, 1, 1).intersects(polygon.boundingRect().adjusted(0, 0, 0.01, 0.01)))
      return;
    Writer_->Polyline(polygon.toPolygon(), pen);
  }

  IMetafileWriter* Writer_;
  QPen Pen_;
  QBrush Brush_;
  QFont Font_;
  QTransform Transform_;
  bool Clipped_ = false;
  QRectF Clip_;
};

}  // namespace

TMetafileDevice::TMetafileDevice(const QSize& size, std::unique_ptr<IMetafileWriter> writer)
    : Size_(size),
      Writer_(std::move(writer)),
      Engine_(std::make_unique<TMetafileEngine>(Writer_.get())) {}

TMetafileDevice::~TMetafileDevice() = default;

QPaintEngine* TMetafileDevice::paintEngine() const { return Engine_.get(); }

QByteArray TMetafileDevice::Finish() { return Writer_->Finish(Size_); }

int TMetafileDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth:
      return Size_.width();
    case PdmHeight:
      return Size_.height();
    case PdmWidthMM:
      return Size_.width() * 254 / 960;
    case PdmHeightMM:
      return Size_.height() * 254 / 960;
    case PdmNumColors:
      return 0x7FFFFFFF;
    case PdmDepth:
      return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
      return 96;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return static_cast<int>(devicePixelRatioFScale());
    default:
      return 0;
  }
}

}  // namespace nubrix::charts
