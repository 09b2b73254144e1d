// The one toolbox for byte paths: joining and separators, existence, mount roots, the text a
// person is shown, and replacing a file atomically. Paths are bytes from the file system to the
// end; only ShownPath turns them into text.
#pragma once

#include <string>
#include <string_view>

namespace nubrix::platform {

// folder + "/" + name, without doubling the separator of "/" or of a folder that ends in one.
std::string JoinPath(const std::string& folder, std::string_view name);
// With exactly one trailing separator ("" stays "").
std::string WithSeparator(std::string path);
// Without trailing separators, except for "/" itself.
std::string WithoutSeparator(std::string path);
// The folder part ("/" for a file in the root, "." for a bare name) and the last component.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Whether anything is there, a link itself counting (lstat).
bool Exists(const std::string& path);
// Whether path names a folder, links followed (as opening it would).
bool IsFolder(const std::string& path);

// Whether path (trailing separators ignored) is where a file system is mounted, bind mounts
// included, by the mount table alone: it never touches the mounted file system, so a dead
// network mount cannot hold the caller up.
bool IsMountRoot(const std::string& path);
// Whether an open folder is the root of a mount (bind mounts too). Kernels without the mount-root
// attribute are asked whether its parent lies on another device or it is its own parent.
bool IsMountRootFd(int dirFd);

// The length of the valid UTF-8 sequence that begins at text[at]; 0 when none does there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// A byte path as valid UTF-8 for people: each byte that is not part of a valid sequence becomes
// U+FFFD. Never use the result to find the file again.
std::string ShownPath(std::string_view path);

// The whole contents of a file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& fileName, std::string& contents);

// Writes contents to fileName through a temporary file beside it, flushed to the disk and renamed
// over it, so a crash or a full disk leaves the old file whole. A link is written through to its
// target and stays a link; an existing file keeps its owner, group and mode (new ones get
// newMode); a file with several names is rewritten in place after its new length is reserved. A
// file nobody may write is refused, as is one whose owner cannot be kept. 0, or the errno.
int ReplaceFileAtomically(const std::string& fileName, std::string_view contents,
                          unsigned newMode = 0644);

// Writes a new file through a temporary file beside it, flushed and renamed into place only when
// nothing has that name: never replaces anything. 0, EEXIST when the name is taken, or the errno.
int WriteNewFileAtomically(const std::string& fileName, std::string_view contents,
                           unsigned mode = 0644);

}  // namespace nubrix::platform
