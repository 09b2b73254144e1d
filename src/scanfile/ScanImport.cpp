#include "scanfile/ScanImport.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>
#include <unistd.h>
#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Paths.h"
#include "sizetree/ScanEngine.h"

namespace nubrix {

namespace {

constexpr std::size_t kReadBytes = 256 << 10;
constexpr unsigned char kZstdMagic[] = {0x28, 0xb5, 0x2f, 0xfd};
constexpr std::uint64_t kMaxTotalBytes = INT64_MAX;

// The file's bytes as RapidJSON reads them: from the descriptor as they are, or through zstd
// when the file begins with its magic number. A read error ends the stream; Error says why.
class TInputStream {
 public:
  using Ch = char;

  explicit TInputStream(int fd) : Fd_(fd), Raw_(kReadBytes) {
    RawEnd_ = ReadRaw(Raw_.data(), Raw_.size());
    if (RawEnd_ >= sizeof kZstdMagic && std::memcmp(Raw_.data(), kZstdMagic, 4) == 0) {
      Zstd_.reset(ZSTD_createDStream());
      if (!Zstd_) throw std::bad_alloc();
      Text_.resize(ZSTD_DStreamOutSize());
    }
    Refill();
  }

  char Peek() const { return Pos_ < End_ ? Text_[Pos_] : '\0'; }
  char Take() {
    if (Pos_ >= End_) return '\0';
    const char c = Text_[Pos_++];
    if (Pos_ == End_) Refill();
    return c;
  }
  std::size_t Tell() const { return Before_ + Pos_; }
  const std::string& Error() const { return Error_; }
  // Reads what is left to its end, so that a damaged or cut compressed stream after the scan's
  // last byte is still seen; whether only white space was left.
  bool OnlySpaceLeft() {
    while (Peek() == ' ' || Peek() == '\n' || Peek() == '\r' || Peek() == '\t') Take();
    return Peek() == '\0' && Pos_ >= End_;
  }

  // Writing is not for this stream.
  char* PutBegin() { return nullptr; }
  void Put(char) {}
  void Flush() {}
  std::size_t PutEnd(char*) { return 0; }

 private:
  std::size_t ReadRaw(char* into, std::size_t size) {
    for (;;) {
      const ssize_t got = read(Fd_, into, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno == EINTR) continue;
      Error_ = std::string("cannot read: ") + std::strerror(errno);
      return 0;
    }
  }

  void Refill() {
    Before_ += End_;
    Pos_ = End_ = 0;
    if (!Zstd_) {
      if (!First_) RawEnd_ = ReadRaw(Raw_.data(), Raw_.size());
      First_ = false;
      Text_.swap(Raw_);
      Raw_.resize(kReadBytes);
      End_ = RawEnd_;
      return;
    }
    while (End_ == 0) {
      // The first bytes, read to find the magic number, wait in Raw_ already.
      if (RawPos_ == RawEnd_ && !AtEnd_) {
        RawEnd_ = ReadRaw(Raw_.data(), Raw_.size());
        RawPos_ = 0;
        AtEnd_ = RawEnd_ == 0;
      }
      // At the end of the input a frame may still hold output to flush; a frame that cannot be
      // finished (a cut checksum) is refused, as zstd -t refuses it.
      if (AtEnd_ && !FrameOpen_) return;
      ZSTD_inBuffer in{Raw_.data(), RawEnd_, RawPos_};
      ZSTD_outBuffer out{Text_.data(), Text_.size(), 0};
      const std::size_t status = ZSTD_decompressStream(Zstd_.get(), &out, &in);
      if (ZSTD_isError(status)) {
        Error_ = std::string("damaged compressed data: ") + ZSTD_getErrorName(status);
        return;
      }
      RawPos_ = in.pos;
      End_ = out.pos;
      FrameOpen_ = status != 0;
      if (AtEnd_ && End_ == 0 && FrameOpen_) {
        if (Error_.empty()) Error_ = "the compressed data is cut short";
        return;
      }
    }
  }

  struct TFreeStream {
    void operator()(ZSTD_DStream* stream) const { ZSTD_freeDStream(stream); }
  };

  int Fd_;
  std::vector<char> Raw_;
  std::size_t RawPos_ = 0;
  std::size_t RawEnd_ = 0;
  bool First_ = true;
  std::unique_ptr<ZSTD_DStream, TFreeStream> Zstd_;
  std::vector<char> Text_;
  std::size_t Pos_ = 0;
  std::size_t End_ = 0;
  std::size_t Before_ = 0;  // bytes of text taken before the buffer
  bool FrameOpen_ = false;  // a compressed frame has begun and not ended
  bool AtEnd_ = false;      // the input has no more bytes
  std::string Error_;
};

std::int64_t Signed(std::uint64_t value) {
  return static_cast<std::int64_t>(std::min<std::uint64_t>(value, INT64_MAX));
}

enum class TKey { Name, ApparentSize, Modified, ReadError, Other };
enum class TSlot { Major, Minor, Metadata, Root, Rest };

struct TEntry {
  std::string Name;
  std::uint64_t Size = 0;
  std::int64_t Modified = 0;
  bool HaveName = false;
  bool ReadError = false;
  bool IsInfo = false;
};

struct TFolderFrame {
  TSizeFolder* Folder = nullptr;
  std::size_t PathLength = 0;  // of the parent's path
  std::uint64_t OwnBytes = 0;
  bool HaveInfo = false;
  bool ReadError = false;
};

class THandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, THandler> {
 public:
  THandler(TScanFile& scan, const TImportOptions& options)
      : Scan_(scan), Options_(options), Collector_(options.LargestCount), Files_(Collector_) {}

  const std::string& Error() const { return Error_; }
  bool Complete() const { return Done_; }
  TFileStats TakeFiles() {
    Files_.End();
    Files_.Flush();
    return Collector_.Take();
  }

  bool Default() { return Fail("a value where none belongs"); }
  bool Null() { return Skipping() || InObject() || Fail("null where an entry belongs"); }
  bool Bool(bool value) {
    if (Skipping()) return true;
    if (InEntry_ && Key_ == TKey::ReadError) Entry_.ReadError = value;
    return InObject() || Fail("true or false where an entry belongs");
  }
  bool Int(int value) { return Int64(value); }
  bool Int64(std::int64_t value) {
    if (value >= 0) return Uint64(static_cast<std::uint64_t>(value));
    if (Skipping() || (InObject() && !SizeKey())) return true;
    return Fail("a negative number");
  }
  bool Uint(unsigned value) { return Uint64(value); }
  bool Uint64(std::uint64_t value);
  bool Double(double) {
    if (Skipping() || (InObject() && !SizeKey())) return true;
    return Fail("a number out of range");
  }
  bool String(const char* text, rapidjson::SizeType length, bool);
  bool Key(const char* text, rapidjson::SizeType length, bool);
  bool StartObject();
  bool EndObject(rapidjson::SizeType);
  bool StartArray();
  bool EndArray(rapidjson::SizeType);

 private:
  bool Fail(const std::string& why) {
    if (Error_.empty()) Error_ = why;
    return false;
  }
  bool Skipping() const { return Skip_ > 0; }
  bool InObject() const { return InEntry_ || InMetadata_; }
  bool SizeKey() const {
    return InEntry_ && (Key_ == TKey::ApparentSize || Key_ == TKey::Modified);
  }
  bool Cancelled() const {
    return Options_.Cancel != nullptr && Options_.Cancel->load(std::memory_order_relaxed);
  }
  bool NextSlot() {
    Slot_ = Slot_ == TSlot::Rest ? TSlot::Rest : static_cast<TSlot>(static_cast<int>(Slot_) + 1);
    return true;
  }
  bool EndEntry();
  bool AddFolder();

  TScanFile& Scan_;
  const TImportOptions& Options_;
  TFileCollector Collector_;
  TFolderFiles Files_;
  const TSizeFolder* FilesFolder_ = nullptr;  // the folder Files_ is collecting for
  std::vector<TFolderFrame> Frames_;
  // The path of the innermost folder, grown and cut as folders open and close, so that no path
  // is built again for each file (a deep tree would take depth x files).
  std::string Path_;
  std::uint64_t TotalBytes_ = 0;
  TEntry Entry_;
  TKey Key_ = TKey::Other;
  std::string MetadataKey_;
  TSlot Slot_ = TSlot::Major;
  int Skip_ = 0;  // depth inside a value this reader has no use for
  bool InTop_ = false;
  bool InEntry_ = false;
  bool InMetadata_ = false;
  bool Done_ = false;
  std::string Error_;
};

bool THandler::Uint64(std::uint64_t value) {
  if (Skipping()) return true;
  if (InMetadata_) {
    if (MetadataKey_ == "timestamp") Scan_.Timestamp = Signed(value);
    return true;
  }
  if (InEntry_) {
    if (Key_ == TKey::ApparentSize) {
      if (value > (std::uint64_t{1} << 62)) return Fail("a size out of range");
      Entry_.Size = value;
    }
    if (Key_ == TKey::Modified) Entry_.Modified = Signed(value);
    return true;
  }
  if (InTop_ && Frames_.empty() && Slot_ == TSlot::Major) {
    if (value != 1) return Fail("major version " + std::to_string(value) + ", not 1");
    return NextSlot();
  }
  if (InTop_ && Frames_.empty() && Slot_ == TSlot::Minor) return NextSlot();
  if (InTop_ && Frames_.empty() && Slot_ == TSlot::Rest) return true;
  return Fail("a number where an entry belongs");
}

bool THandler::String(const char* text, rapidjson::SizeType length, bool) {
  if (Skipping()) return true;
  if (InMetadata_) {
    if (MetadataKey_ == "progname") Scan_.Program.assign(text, length);
    if (MetadataKey_ == "progver") Scan_.ProgramVersion.assign(text, length);
    return true;
  }
  if (InEntry_) {
    if (Key_ == TKey::Name) {
      Entry_.Name.assign(text, length);
      Entry_.HaveName = true;
    }
    return true;
  }
  if (InTop_ && Frames_.empty() && Slot_ == TSlot::Rest) return true;
  return Fail("a string where an entry belongs");
}

bool THandler::Key(const char* text, rapidjson::SizeType length, bool) {
  if (Skipping()) return true;
  const std::string_view key(text, length);
  if (InMetadata_) {
    MetadataKey_.assign(key);
  } else if (key == "name") {
    Key_ = TKey::Name;
  } else if (key == "asize") {
    Key_ = TKey::ApparentSize;
  } else if (key == "mtime") {
    Key_ = TKey::Modified;
  } else if (key == "read_error") {
    Key_ = TKey::ReadError;
  } else {
    Key_ = TKey::Other;  // other keys, and keys of later versions, are ignored
  }
  return true;
}

bool THandler::StartObject() {
  if (Skipping() || InObject()) {
    ++Skip_;
    return true;
  }
  if (!InTop_) return Fail("not a scan file (it does not begin with an array)");
  if (Frames_.empty()) {
    if (Slot_ == TSlot::Metadata) return InMetadata_ = true;
    if (Slot_ == TSlot::Rest) return ++Skip_ > 0;
    return Fail(Slot_ == TSlot::Root ? "an object where the top folder's array belongs"
                                     : "no version numbers before the metadata");
  }
  Entry_ = TEntry{};
  Entry_.IsInfo = !Frames_.back().HaveInfo;
  Key_ = TKey::Other;
  InEntry_ = true;
  return true;
}

bool THandler::EndObject(rapidjson::SizeType) {
  if (Skipping()) {
    --Skip_;
    return true;
  }
  if (InMetadata_) {
    InMetadata_ = false;
    return NextSlot();
  }
  InEntry_ = false;
  return EndEntry() && !(Cancelled() && Fail("cancelled"));
}

bool THandler::AddFolder() {
  TFolderFrame& frame = Frames_.back();
  frame.PathLength = Path_.size();
  if (Frames_.size() == 1) {
    const std::string path = platform::WithSeparator(Entry_.Name);
    frame.Folder = Scan_.Tree.TopFolder().AddChild(path);
    frame.Folder->SetName(path);
    Path_ = path;
  } else {
    frame.Folder = AddListedFolder(*Frames_[Frames_.size() - 2].Folder, Entry_.Name);
    AppendPathSegment(Path_, Entry_.Name);
  }
  frame.HaveInfo = true;
  frame.ReadError = Entry_.ReadError;
  return true;
}

bool THandler::EndEntry() {
  ++Scan_.Entries;
  if (!Entry_.HaveName || Entry_.Name.empty()) return Fail("an entry without a name");
  const bool root = Entry_.IsInfo && Frames_.size() == 1;
  if (!root &&
      (Entry_.Name.find('/') != std::string::npos || Entry_.Name == "." || Entry_.Name == "..")) {
    return Fail("the name \"" + Entry_.Name.substr(0, 200) + "\" is not a name of one entry");
  }
  if (Entry_.Name.find('\0') != std::string::npos)
    return Fail("a name holding a NUL byte, which no file name can");
  if (Entry_.IsInfo) return AddFolder();
  // Every folder's sum is at most the whole scan's, which must not wrap.
  if (Entry_.Size > kMaxTotalBytes - TotalBytes_)
    return Fail("the sizes add up to more than any disk holds");
  TotalBytes_ += Entry_.Size;
  TFolderFrame& frame = Frames_.back();
  frame.OwnBytes += Entry_.Size;
  if (FilesFolder_ != frame.Folder) {
    Files_.End();
    Files_.Begin(-1, [this] { return Path_; });
    FilesFolder_ = frame.Folder;
  }
  TEntryStat stat;
  stat.Size = Entry_.Size;
  stat.Modified = Entry_.Modified;
  Files_.Add(Entry_.Name, stat);
  return true;
}

bool THandler::StartArray() {
  if (Skipping() || InObject()) {
    ++Skip_;
    return true;
  }
  if (!InTop_) {
    if (Done_) return Fail("more after the end of the scan");
    return InTop_ = true;
  }
  if (Frames_.empty()) {
    if (Slot_ == TSlot::Rest) return ++Skip_ > 0;
    if (Slot_ != TSlot::Root) return Fail("no version numbers and metadata before the folders");
  } else if (!Frames_.back().HaveInfo) {
    return Fail("a folder's array that does not begin with its information object");
  }
  Frames_.emplace_back();
  return true;
}

bool THandler::EndArray(rapidjson::SizeType) {
  if (Skipping()) {
    --Skip_;
    return true;
  }
  if (Frames_.empty()) {
    if (Slot_ != TSlot::Rest) return Fail("the file ends before its top folder");
    InTop_ = false;
    Done_ = true;
    return true;
  }
  const TFolderFrame frame = Frames_.back();
  if (!frame.HaveInfo) return Fail("a folder's array without its information object");
  Frames_.pop_back();
  Path_.resize(frame.PathLength);
  // A folder that could not be read holds what the reader saw of it, if anything.
  SetFolderListing(*frame.Folder, frame.OwnBytes, frame.ReadError ? EACCES : 0);
  if (Frames_.empty()) NextSlot();
  return true;
}

}  // namespace

std::string ImportScan(int in, TScanFile& scan, const TImportOptions& options) {
  TInputStream stream(in);
  THandler handler(scan, options);
  rapidjson::Reader reader;
  constexpr unsigned kFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseStopWhenDoneFlag;
  const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
  const std::string at = "at byte " + std::to_string(result.Offset()) + ": ";
  if (!stream.Error().empty()) return at + stream.Error();
  if (!handler.Error().empty()) return at + handler.Error();
  if (result.IsError()) {
    if (result.Code() == rapidjson::kParseErrorDocumentEmpty || stream.Peek() == '\0')
      return at + "the file ends before the scan does";
    return at + rapidjson::GetParseError_En(result.Code());
  }
  if (!handler.Complete()) return at + "the file ends before the scan does";
  // Trailing white space is allowed; anything else is not.
  const bool onlySpace = stream.OnlySpaceLeft();
  const std::string end = "at byte " + std::to_string(stream.Tell()) + ": ";
  if (!stream.Error().empty()) return end + stream.Error();
  if (!onlySpace) return end + "more after the end of the scan";
  TScanContext context;
  scan.Tree.CalculateSizes(context);
  scan.Files = handler.TakeFiles();
  return {};
}

}  // namespace nubrix
