#include "charts/MetafileWriters.h"

#include <QRect>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace nubrix::charts {

namespace {

// Little-endian bytes.
class TBytes {
 public:
  void U8(std::uint8_t v) { Data_.push_back(static_cast<char>(v)); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v & 0xFF));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void I16(int v) {
    U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(v, -32768, 32767))));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v & 0xFFFF));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
  }
  void Pad(std::size_t to) {
    while (Data_.size() % to != 0) U8(0);
  }
  std::size_t Size() const { return Data_.size(); }
  void PatchU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      Data_[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void PatchU16(std::size_t at, std::uint16_t v) {
    Data_[at] = static_cast<char>(v & 0xFF);
    Data_[at + 1] = static_cast<char>(v >> 8);
  }
  const std::string& Data() const { return Data_; }
  void Append(const TBytes& other) { Data_ += other.Data_; }

 private:
  std::string Data_;
};

// 0x00BBGGRR
std::uint32_t ColorRef(QRgb rgb) {
  return static_cast<std::uint32_t>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}

// The lowest free object slot from `first` on; slots come back when objects are deleted.
class TSlots {
 public:
  explicit TSlots(int first) : First_(first) {}
  int Take() {
    int slot = First_;
    while (std::find(Used_.begin(), Used_.end(), slot) != Used_.end()) ++slot;
    Used_.push_back(slot);
    Most_ = std::max(Most_, slot + 1);
    return slot;
  }
  void Give(int slot) { Used_.erase(std::remove(Used_.begin(), Used_.end(), slot), Used_.end()); }
  int Most() const { return Most_; }

 private:
  int First_;
  int Most_ = 1;
  std::vector<int> Used_;
};

// What both formats do alike: keep the selected pen, brush and font, and make new ones only when
// they change.
class TObjectCache {
 public:
  std::optional<TPenSpec> Pen;
  std::optional<TBrushSpec> Brush;
  std::optional<TFontSpec> Font;
  int PenSlot = -1;
  int BrushSlot = -1;
  int FontSlot = -1;
};

class TEmfWriter : public IMetafileWriter {
 public:
  TEmfWriter() : Slots_(1) {
    Record(17, {1});   // SETMAPMODE MM_TEXT
    Record(18, {1});   // SETBKMODE TRANSPARENT
    Record(22, {24});  // SETTEXTALIGN TA_BASELINE | TA_LEFT
  }

  void Polygon(const QPolygon& points, const TPenSpec& pen, const TBrushSpec& brush) override {
    SelectPen(pen);
    SelectBrush(brush);
    Poly(86, points);
  }
  void Polyline(const QPolygon& points, const TPenSpec& pen) override {
    SelectPen(pen);
    Poly(87, points);
  }
  bool CanWrite(const QString&) const override { return true; }

  void Text(const QPoint& at, const QString& text, const TFontSpec& font, QRgb colour,
            const std::vector<int>& advances) override {
    SelectFont(font);
    Record(24, {ColorRef(colour)});  // SETTEXTCOLOR
    const std::u16string chars = text.toStdU16String();
    const std::uint32_t stringBytes = static_cast<std::uint32_t>((chars.size() * 2 + 3) / 4 * 4);
    const std::uint32_t size = 76 + stringBytes + 4 * static_cast<std::uint32_t>(chars.size());
    TBytes r;
    r.U32(84);  // EXTTEXTOUTW
    r.U32(size);
    int width = 0;
    for (int a : advances) width += a;
    Bounds(r, QRect(at.x(), at.y() - font.PixelHeight, width, font.PixelHeight + 4));
    r.U32(1);  // GM_COMPATIBLE
    r.F32(0);
    r.F32(0);
    r.I32(at.x());
    r.I32(at.y());
    r.U32(static_cast<std::uint32_t>(chars.size()));
    r.U32(76);                                 // offString
    r.U32(0);                                  // options
    r.I32(0), r.I32(0), r.I32(-1), r.I32(-1);  // no clipping rectangle
    r.U32(76 + stringBytes);                   // offDx
    for (char16_t c : chars) r.U16(c);
    r.Pad(4);
    for (int a : advances) r.I32(a);
    Add(r, QRect(at.x(), at.y() - font.PixelHeight, width, font.PixelHeight + 4));
  }

  QByteArray Finish(const QSize& size) override {
    TBytes eof;
    eof.U32(14), eof.U32(20), eof.U32(0), eof.U32(16), eof.U32(20);
    Records_.Append(eof);
    ++Count_;
    TBytes header;
    header.U32(1);
    header.U32(108);
    const QRect bounds =
        Bounds_.isValid() ? Bounds_ & QRect(QPoint(0, 0), size) : QRect(0, 0, 1, 1);
    header.I32(bounds.left()), header.I32(bounds.top()), header.I32(bounds.right()),
        header.I32(bounds.bottom());
    // The frame in hundredths of a millimetre at 96 pixels per inch.
    header.I32(0), header.I32(0);
    header.I32(size.width() * 2540 / 96 - 1), header.I32(size.height() * 2540 / 96 - 1);
    header.U32(0x464D4520);
    header.U32(0x10000);
    header.U32(static_cast<std::uint32_t>(108 + Records_.Size()));
    header.U32(static_cast<std::uint32_t>(Count_ + 1));
    header.U16(static_cast<std::uint16_t>(Slots_.Most()));
    header.U16(0);
    header.U32(0), header.U32(0), header.U32(0);  // no description, no palette
    // The reference device: this picture's own size at 96 pixels per inch.
    header.I32(size.width()), header.I32(size.height());
    header.I32(size.width() * 254 / 960), header.I32(size.height() * 254 / 960);
    header.U32(0), header.U32(0), header.U32(0);
    header.I32(size.width() * 254000 / 960), header.I32(size.height() * 254000 / 960);
    header.Append(Records_);
    return QByteArray(header.Data().data(), static_cast<qsizetype>(header.Data().size()));
  }

 private:
  void Record(std::uint32_t type, std::initializer_list<std::uint32_t> values) {
    TBytes r;
    r.U32(type);
    r.U32(static_cast<std::uint32_t>(8 + 4 * values.size()));
    for (std::uint32_t v : values) r.U32(v);
    Add(r, QRect());
  }
  static void Bounds(TBytes& r, const QRect& box) {
    r.I32(box.left()), r.I32(box.top()), r.I32(box.right()), r.I32(box.bottom());
  }
  void Add(const TBytes& record, const QRect& box) {
    Records_.Append(record);
    ++Count_;
    if (box.isValid()) Bounds_ = Bounds_.isValid() ? Bounds_ | box : box;
  }
  void Poly(std::uint32_t type, const QPolygon& points) {
    TBytes r;
    r.U32(type);
    r.U32(static_cast<std::uint32_t>(28 + 4 * points.size()));
    const QRect box = points.boundingRect();
    Bounds(r, box);
    r.U32(static_cast<std::uint32_t>(points.size()));
    for (const QPoint& p : points) r.I16(p.x()), r.I16(p.y());
    Add(r, box);
  }
  void Replace(int& slot, std::uint32_t stockWhenNone, bool none,
               const std::function<void(int)>& create) {
    const int old = slot;
    if (none) {
      Record(37, {0x80000000u | stockWhenNone});  // SELECTOBJECT a stock object
      slot = -1;
    } else {
      slot = Slots_.Take();
      create(slot);
      Record(37, {static_cast<std::uint32_t>(slot)});
    }
    if (old >= 0) {
      Record(40, {static_cast<std::uint32_t>(old)});  // DELETEOBJECT
      Slots_.Give(old);
    }
  }
  void SelectPen(const TPenSpec& pen) {
    if (Cache_.Pen == pen) return;
    Cache_.Pen = pen;
    Replace(Cache_.PenSlot, 8, !pen.Visible, [&](int slot) {  // NULL_PEN 8
      Record(38, {static_cast<std::uint32_t>(slot), static_cast<std::uint32_t>(pen.Style),
                  static_cast<std::uint32_t>(pen.Width), 0u, ColorRef(pen.Colour)});
    });
  }
  void SelectBrush(const TBrushSpec& brush) {
    if (Cache_.Brush == brush) return;
    Cache_.Brush = brush;
    Replace(Cache_.BrushSlot, 5, !brush.Visible, [&](int slot) {  // NULL_BRUSH 5
      Record(39, {static_cast<std::uint32_t>(slot), 0u, ColorRef(brush.Colour), 0u});
    });
  }
  void SelectFont(const TFontSpec& font) {
    if (Cache_.Font == font) return;
    Cache_.Font = font;
    Replace(Cache_.FontSlot, 13, false, [&](int slot) {
      TBytes r;
      r.U32(82);  // EXTCREATEFONTINDIRECTW
      r.U32(104);
      r.U32(static_cast<std::uint32_t>(slot));
      r.I32(-font.PixelHeight);
      r.I32(0), r.I32(0), r.I32(0);
      r.I32(font.Bold ? 700 : 400);
      r.U8(font.Italic ? 1 : 0), r.U8(0), r.U8(0), r.U8(1);  // DEFAULT_CHARSET
      r.U8(0), r.U8(0), r.U8(4), r.U8(0);                    // ANTIALIASED_QUALITY
      const std::u16string face = font.Family.left(31).toStdU16String();
      for (int i = 0; i < 32; ++i)
        r.U16(i < static_cast<int>(face.size()) ? face[static_cast<std::size_t>(i)] : 0);
      Add(r, QRect());
    });
  }

  TBytes Records_;
  std::size_t Count_ = 0;
  QRect Bounds_;
  TSlots Slots_;
  TObjectCache Cache_;
};

class TWmfWriter : public IMetafileWriter {
 public:
  TWmfWriter() : Slots_(0) {}

  void Polygon(const QPolygon& points, const TPenSpec& pen, const TBrushSpec& brush) override {
    SelectPen(pen);
    SelectBrush(brush);
    Poly(0x0324, points);
  }
  void Polyline(const QPolygon& points, const TPenSpec& pen) override {
    SelectPen(pen);
    Poly(0x0325, points);
  }
  // Eight-bit text: Latin-1 only.
  bool CanWrite(const QString& text) const override {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
  }
  void Text(const QPoint& at, const QString& text, const TFontSpec& font, QRgb colour,
            const std::vector<int>&) override {
    SelectFont(font);
    Record(0x0209, [&](TBytes& r) { r.U32(ColorRef(colour)); });  // SETTEXTCOLOR
    const QByteArray bytes = text.toLatin1();
    Record(0x0521, [&](TBytes& r) {  // TEXTOUT
      r.I16(static_cast<int>(bytes.size()));
      for (char c : bytes) r.U8(static_cast<std::uint8_t>(c));
      r.Pad(2);
      r.I16(at.y());
      r.I16(at.x());
    });
  }

  QByteArray Finish(const QSize& size) override {
    Record(0x0000, [](TBytes&) {});  // EOF
    TBytes file;
    file.U32(0x9AC6CDD7);
    file.U16(0);
    file.I16(0), file.I16(0), file.I16(size.width()), file.I16(size.height());
    file.U16(96);  // units per inch: pixels
    file.U32(0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) {
      checksum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(file.Data()[i]) |
                                             (static_cast<std::uint8_t>(file.Data()[i + 1]) << 8));
    }
    file.U16(checksum);
    TBytes header;
    header.U16(1), header.U16(9), header.U16(0x0300);
    header.U32(static_cast<std::uint32_t>((18 + Prologue().Size() + Records_.Size()) / 2));
    header.U16(static_cast<std::uint16_t>(Slots_.Most()));
    header.U32(static_cast<std::uint32_t>(std::max<std::size_t>(Largest_, 5)));
    header.U16(0);
    file.Append(header);
    file.Append(Prologue(size));
    file.Append(Records_);
    return QByteArray(file.Data().data(), static_cast<qsizetype>(file.Data().size()));
  }

 private:
  // Map mode, window and text settings come first; they need the size, known only at the end.
  TBytes Prologue(const QSize& size = {}) const {
    TBytes p;
    auto record = [&](std::uint16_t function, std::initializer_list<int> words) {
      p.U32(static_cast<std::uint32_t>(3 + words.size()));
      p.U16(function);
      for (int w : words) p.I16(w);
    };
    record(0x0103, {8});                            // SETMAPMODE MM_ANISOTROPIC
    record(0x020B, {0, 0});                         // SETWINDOWORG y, x
    record(0x020C, {size.height(), size.width()});  // SETWINDOWEXT y, x
    record(0x0102, {1});                            // SETBKMODE TRANSPARENT
    record(0x012E, {24});                           // SETTEXTALIGN TA_BASELINE
    return p;
  }
  void Record(std::uint16_t function, const std::function<void(TBytes&)>& body) {
    TBytes params;
    body(params);
    params.Pad(2);
    const std::size_t words = 3 + params.Size() / 2;
    Records_.U32(static_cast<std::uint32_t>(words));
    Records_.U16(function);
    Records_.Append(params);
    Largest_ = std::max(Largest_, words);
  }
  void Poly(std::uint16_t function, const QPolygon& points) {
    Record(function, [&](TBytes& r) {
      r.I16(static_cast<int>(points.size()));
      for (const QPoint& p : points) r.I16(p.x()), r.I16(p.y());
    });
  }
  void Replace(int& slot, const std::function<void()>& create) {
    const int old = slot;
    slot = Slots_.Take();
    create();
    Record(0x012D, [&](TBytes& r) { r.U16(static_cast<std::uint16_t>(slot)); });  // SELECTOBJECT
    if (old >= 0) {
      Record(0x01F0, [&](TBytes& r) { r.U16(static_cast<std::uint16_t>(old)); });  // DELETEOBJECT
      Slots_.Give(old);
    }
  }
  void SelectPen(const TPenSpec& pen) {
    if (Cache_.Pen == pen) return;
    Cache_.Pen = pen;
    Replace(Cache_.PenSlot, [&] {
      Record(0x02FA, [&](TBytes& r) {  // CREATEPENINDIRECT
        r.U16(static_cast<std::uint16_t>(pen.Visible ? pen.Style : 5));
        r.I16(pen.Width), r.I16(0);
        r.U32(ColorRef(pen.Colour));
      });
    });
  }
  void SelectBrush(const TBrushSpec& brush) {
    if (Cache_.Brush == brush) return;
    Cache_.Brush = brush;
    Replace(Cache_.BrushSlot, [&] {
      Record(0x02FC, [&](TBytes& r) {  // CREATEBRUSHINDIRECT
        r.U16(brush.Visible ? 0 : 1);
        r.U32(ColorRef(brush.Colour));
        r.U16(0);
      });
    });
  }
  void SelectFont(const TFontSpec& font) {
    if (Cache_.Font == font) return;
    Cache_.Font = font;
    Replace(Cache_.FontSlot, [&] {
      Record(0x02FB, [&](TBytes& r) {  // CREATEFONTINDIRECT
        r.I16(-font.PixelHeight), r.I16(0), r.I16(0), r.I16(0);
        r.I16(font.Bold ? 700 : 400);
        r.U8(font.Italic ? 1 : 0), r.U8(0), r.U8(0), r.U8(0);
        r.U8(0), r.U8(0), r.U8(0), r.U8(0);
        const QByteArray face = font.Family.toLatin1().left(31);
        for (int i = 0; i < 32; ++i) r.U8(i < face.size() ? static_cast<std::uint8_t>(face[i]) : 0);
      });
    });
  }

  TBytes Records_;
  std::size_t Largest_ = 0;
  TSlots Slots_;
  TObjectCache Cache_;
};

}  // namespace

std::unique_ptr<IMetafileWriter> MakeEmfWriter() { return std::make_unique<TEmfWriter>(); }
std::unique_ptr<IMetafileWriter> MakeWmfWriter() { return std::make_unique<TWmfWriter>(); }

}  // namespace nubrix::charts
