// Moving items into the trash on descriptors: the item's folder is resolved once and opened
// without links, compared with what the listing saw, and the item goes by one rename that never
// replaces anything; where it went is known from the move itself, not searched for afterwards.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/MountInfo.h"
#include "platform/SafeOpen.h"

namespace nubrix::platform {

// What a listing saw of an item, so that the move can prove it still has the very same one.
struct TListedItem {
  TListedItem() = default;
  explicit TListedItem(std::string path, std::optional<TFileId> folder = std::nullopt,
                       std::optional<TFileId> item = std::nullopt, bool emptyFolder = false)
      : Path(std::move(path)), Folder(folder), Item(item), EmptyFolder(emptyFolder) {}

  std::string Path;
  std::optional<TFileId> Folder;  // the folder it was listed in
  std::optional<TFileId> Item;    // the item itself, when the listing looked at it
  bool EmptyFolder = false;       // listed as an empty folder: refused when it holds anything now
  // The size and the times it was listed with: a file that changed since, or another that took
  // its inode, is refused.
  std::optional<std::uint64_t> Size;
  std::optional<TFileTimes> Times;
  // Asked right before the move, after the item was found as listed: empty to go on, or why the
  // item must stay (another file that has to be there still, say).
  std::function<std::string()> Guard;
};

struct TTrashResult {
  bool Ok = false;
  std::string Error;  // for people, naming the item
  // Where the item lies now: the trash folder (holding files/ and info/) and its name there.
  std::string TrashFolder;
  std::string TrashName;
  std::string
      OriginalPath;  // the item's absolute path with its folder resolved, as its info names it
  std::string DeletionDate;    // as its info file says
  TFileId ItemId;              // a rename keeps the inode: the item in the trash has this identity
  std::int64_t ItemBirth = 0;  // and this birth time, which a reused inode number has not
  TFileId FolderId;            // the folder it was in

  static TTrashResult Refused(std::string error) {
    TTrashResult result;
    result.Error = std::move(error);
    return result;
  }
};

// Moves items of one user into their trash folders; keeps the trash folders it opened, so a
// batch opens each once. Not for use by two threads at once.
class TTrashMover {
 public:
  TTrashMover();
  TTrashMover(uid_t uid, std::string dataHome);
  ~TTrashMover();
  TTrashMover(const TTrashMover&) = delete;
  TTrashMover& operator=(const TTrashMover&) = delete;

  // Moves item (a file, a folder, a link: the link itself, never its target) to the trash of its
  // file system. When no trash can take it, or it is not what was listed, nothing happens to it
  // and the result says why.
  TTrashResult Move(const TListedItem& item);

  struct TOpenTrash;
  struct TPrepared;

 private:
  TOpenTrash* HomeTrash();
  TOpenTrash* TopTrash(const std::string& folder, dev_t device);
  TTrashResult Into(TOpenTrash& trash, const TPrepared& item, int& code);
  static TTrashResult Moved(TOpenTrash& trash, const TPrepared& item, const std::string& name,
                            TTrashResult result);

  uid_t Uid_;
  std::string DataHome_;
  std::unique_ptr<TOpenTrash> Home_;
  bool HomeTried_ = false;
  std::map<std::string, std::unique_ptr<TOpenTrash>> Tops_;  // by mount point
  std::optional<std::vector<TMountEntry>> Mounts_;
};

// The item at path as it is now, for a move that follows a question: its folder (links followed,
// as the move resolves it) and the item itself (never followed).
TListedItem ListedNow(const std::string& path);

// One item with a mover of its own.
TTrashResult MoveToTrash(const TListedItem& item);
TTrashResult MoveToTrash(const std::string& path);

// The Path= value of an info file: bytes outside A-Z a-z 0-9 - _ . ~ / percent-encoded.
std::string EncodeTrashPath(const std::string& path);

}  // namespace nubrix::platform
