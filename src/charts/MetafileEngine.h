// A paint device that turns QPainter's drawing into vector records: the chart's one painting
// code draws Windows metafiles (WMF) and enhanced metafiles (EMF) through it. The engine hands
// plain shapes in device pixels to a writer, which knows the file format.
#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPolygon>
#include <QString>
#include <memory>
#include <vector>

namespace nubrix::charts {

struct TPenSpec {
  bool Visible = true;
  int Style = 0;  // 0 solid, 1 dash, 2 dot
  int Width = 1;
  QRgb Colour = 0;
  bool operator==(const TPenSpec&) const = default;
};

struct TBrushSpec {
  bool Visible = true;
  QRgb Colour = 0;
  bool operator==(const TBrushSpec&) const = default;
};

struct TFontSpec {
  QString Family;
  int PixelHeight = 11;
  bool Bold = false;
  bool Italic = false;
  bool operator==(const TFontSpec&) const = default;
};

// The records a chart needs, in device pixels.
class IMetafileWriter {
 public:
  virtual ~IMetafileWriter() = default;
  virtual void Polygon(const QPolygon& points, const TPenSpec& pen, const TBrushSpec& brush) = 0;
  virtual void Polyline(const QPolygon& points, const TPenSpec& pen) = 0;
  // Text from its baseline's left end; advances: the x step after each character.
  virtual void Text(const QPoint& baseline, const QString& text, const TFontSpec& font, QRgb colour,
                    const std::vector<int>& advances) = 0;
  // Whether Text can carry text; when not, the engine draws the glyphs as polygons.
  virtual bool CanWrite(const QString& text) const = 0;
  // The whole file for a picture of size pixels.
  virtual QByteArray Finish(const QSize& size) = 0;
};

class TMetafileDevice : public QPaintDevice {
 public:
  TMetafileDevice(const QSize& size, std::unique_ptr<IMetafileWriter> writer);
  ~TMetafileDevice() override;

  QPaintEngine* paintEngine() const override;
  // The file; call after the painter has ended.
  QByteArray Finish();

 protected:
  int metric(PaintDeviceMetric metric) const override;

 private:
  QSize Size_;
  std::unique_ptr<IMetafileWriter> Writer_;
  std::unique_ptr<QPaintEngine> Engine_;
};

}  // namespace nubrix::charts
