#include "platform/offline/volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/ansi_text.h"
#include "base/codepage.h"
#include "base/windows_mask.h"

namespace vx {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

uint64_t ToFileTime(const struct timespec& ts) {
  if (ts.tv_sec < -11644473600LL) return 0;
  return static_cast<uint64_t>(ts.tv_sec) * 10000000ULL + static_cast<uint64_t>(ts.tv_nsec) / 100 +
         kUnixEpochAsFileTime;
}

std::string Canonical(const std::string& path) {
  char buffer[PATH_MAX];
  if (!realpath(path.c_str(), buffer)) return std::string();
  return buffer;
}

class THostFileReader : public TFileReader {
 public:
  THostFileReader(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~THostFileReader() override { close(fd_); }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, size_t count, std::string* out) override {
    out->clear();
    if (offset >= size_) return true;
    if (count > size_ - offset) count = static_cast<size_t>(size_ - offset);
    out->resize(count);
    size_t done = 0;
    while (done < count) {
      ssize_t n = pread(fd_, out->data() + done, count - done, static_cast<off_t>(offset + done));
      if (n < 0) return false;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    out->resize(done);
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

}  // namespace

bool ParseTargetPath(std::string_view path, TTargetPath* out) {
  TTargetPath result;
  std::string_view p = path;
  if (p.size() >= 4 && (p.substr(0, 4) == "\\\\?\\" || p.substr(0, 4) == "\\??\\")) p.remove_prefix(4);
  if (p.size() >= 2 && p[1] == ':') {
    char letter = AsciiUpper(p[0]);
    if (letter < 'A' || letter > 'Z') return false;
    result.drive = letter;
    p.remove_prefix(2);
  } else if (p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/')) {
    return false;  // UNC paths name no volume of the image
  }
  size_t start = 0;
  for (size_t i = 0; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '\\' || p[i] == '/') {
      std::string_view part = p.substr(start, i - start);
      start = i + 1;
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (!result.components.empty()) result.components.pop_back();
        continue;
      }
      if (part.find('\0') != std::string_view::npos) return false;
      result.components.emplace_back(part);
    }
  }
  *out = std::move(result);
  return true;
}

std::string JoinTargetPath(const TTargetPath& path) {
  std::string out(1, path.drive);
  out += ":\\";
  for (size_t i = 0; i < path.components.size(); ++i) {
    if (i) out += '\\';
    out += path.components[i];
  }
  return out;
}

namespace {

void InfoFromStat(const struct stat& st, TFileInfo* info) {
  info->is_directory = S_ISDIR(st.st_mode);
  info->size = info->is_directory ? 0 : static_cast<uint64_t>(st.st_size);
  info->attributes = info->is_directory ? kFileAttributeDirectory : kFileAttributeArchive;
  if (!(st.st_mode & S_IWUSR)) info->attributes |= kFileAttributeReadOnly;
  info->last_write_time = ToFileTime(st.st_mtim);
  info->last_access_time = ToFileTime(st.st_atim);
  // The host keeps no creation time that stat reports; the last write is
  // the closest stable answer.
  info->creation_time = info->last_write_time;
}

}  // namespace

bool HostFileInfo(const std::string& host_path, TFileInfo* info) {
  struct stat st;
  if (stat(host_path.c_str(), &st) != 0) return false;
  InfoFromStat(st, info);
  return true;
}

void TOfflineVolumes::SetCodePage(int code_page) {
  std::lock_guard<std::mutex> lock(mutex_);
  code_page_ = code_page;
  listings_.clear();
}

bool TOfflineVolumes::AddVolume(char letter, const std::string& host_root) {
  std::string canonical = Canonical(host_root);
  struct stat st;
  if (canonical.empty() || stat(canonical.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (canonical.size() > 1 && canonical.back() == '/') canonical.pop_back();
  std::lock_guard<std::mutex> lock(mutex_);
  volumes_[AsciiUpper(letter)] = TVolume{canonical};
  return true;
}

std::vector<char> TOfflineVolumes::Letters() const {
  std::vector<char> out;
  for (const auto& [letter, volume] : volumes_) out.push_back(letter);
  return out;
}

bool TOfflineVolumes::HasVolume(char letter) const {
  return volumes_.count(AsciiUpper(letter)) != 0;
}

std::string TOfflineVolumes::HostRoot(char letter) const {
  auto it = volumes_.find(AsciiUpper(letter));
  return it == volumes_.end() ? std::string() : it->second.root;
}

TOfflineVolumes::TVolume* TOfflineVolumes::Find(char letter) {
  auto it = volumes_.find(AsciiUpper(letter));
  return it == volumes_.end() ? nullptr : &it->second;
}

const TOfflineVolumes::TListing* TOfflineVolumes::Listing(const std::string& dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  // A scan of a whole volume would otherwise keep every folder's names.
  constexpr size_t kMaxCachedListings = 4096;
  if (listings_.size() >= kMaxCachedListings && listings_.count(dir) == 0) listings_.clear();
  TListing& listing = listings_[dir];
  if (listing.mtime_sec == st.st_mtim.tv_sec && listing.mtime_nsec == st.st_mtim.tv_nsec) {
    return &listing;
  }
  listing = TListing{};
  DIR* d = opendir(dir.c_str());
  if (!d) {
    listings_.erase(dir);
    return nullptr;
  }
  while (struct dirent* entry = readdir(d)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    listing.names.push_back(name);
    // The first of two names that differ only in case wins, as the order
    // of a case-sensitive host gives no better choice.
    listing.folded.emplace(AnsiUpperCase(Utf8ToAnsi(name, code_page_)), name);
  }
  closedir(d);
  listing.mtime_sec = st.st_mtim.tv_sec;
  listing.mtime_nsec = st.st_mtim.tv_nsec;
  return &listing;
}

void TOfflineVolumes::Invalidate(const std::string& dir) {
  listings_.erase(dir);
  resolved_.clear();
}

std::string TOfflineVolumes::Lookup(const std::string& dir, const std::string& component) {
  std::string exact = AnsiToUtf8(component, code_page_);
  struct stat st;
  if (lstat((dir + "/" + exact).c_str(), &st) == 0) return exact;
  const TListing* listing = Listing(dir);
  if (!listing) return std::string();
  auto it = listing->folded.find(AnsiUpperCase(component));
  return it == listing->folded.end() ? std::string() : it->second;
}

bool TOfflineVolumes::Contained(const TVolume& volume, const std::string& host_path) {
  struct stat st;
  if (lstat(host_path.c_str(), &st) != 0) return false;
  if (!S_ISLNK(st.st_mode)) return true;
  std::string target = Canonical(host_path);
  if (target.empty()) return false;
  return target == volume.root ||
         (target.size() > volume.root.size() && target.compare(0, volume.root.size(), volume.root) == 0 &&
          target[volume.root.size()] == '/');
}

bool TOfflineVolumes::ResolveParts(const TTargetPath& target, size_t count, std::string* host_path) {
  TVolume* volume = Find(target.drive);
  if (!volume) return false;
  constexpr size_t kMaxResolved = 65536;
  std::string current = volume->root;
  std::string key = std::string(1, target.drive) + ":";
  size_t i = 0;
  // The longest prefix resolved before.
  for (std::string probe = key; i < count; ++i) {
    probe += '\\';
    probe += AnsiUpperCase(target.components[i]);
    auto it = resolved_.find(probe);
    if (it == resolved_.end()) break;
    current = it->second;
    key = probe;
  }
  for (; i < count; ++i) {
    std::string name = Lookup(current, target.components[i]);
    if (name.empty()) return false;
    std::string next = current + "/" + name;
    if (!Contained(*volume, next)) return false;
    current = std::move(next);
    key += '\\';
    key += AnsiUpperCase(target.components[i]);
    if (resolved_.size() >= kMaxResolved) resolved_.clear();
    resolved_.emplace(key, current);
  }
  *host_path = std::move(current);
  return true;
}

bool TOfflineVolumes::Resolve(std::string_view target_path, std::string* host_path) {
  TTargetPath target;
  if (!ParseTargetPath(target_path, &target)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return ResolveParts(target, target.components.size(), host_path);
}

bool TOfflineVolumes::ResolveForWrite(std::string_view target_path, std::string* host_path,
                                      bool* exists) {
  TTargetPath target;
  if (!ParseTargetPath(target_path, &target) || target.components.empty()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  std::string parent;
  if (!ResolveParts(target, target.components.size() - 1, &parent)) return false;
  struct stat st;
  if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  const std::string& leaf = target.components.back();
  std::string name = Lookup(parent, leaf);
  *exists = !name.empty();
  if (name.empty()) name = AnsiToUtf8(leaf, code_page_);
  std::string full = parent + "/" + name;
  if (*exists) {
    // An existing symbolic link is never written through.
    if (lstat(full.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
  }
  *host_path = std::move(full);
  return true;
}

bool TOfflineVolumes::List(std::string_view directory, std::string_view mask,
                           std::vector<TFileInfo>* out) {
  TTargetPath target;
  if (!ParseTargetPath(directory, &target)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  std::string dir;
  if (!ResolveParts(target, target.components.size(), &dir)) return false;
  const TListing* listing = Listing(dir);
  if (!listing) return false;
  TVolume* volume = Find(target.drive);
  // One fstatat per entry, relative to the folder: a listing of many
  // entries costs no path walks. Only a symbolic link gets the full check
  // that it stays on the volume, and the stat of what it points to.
  int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return false;
  for (const std::string& name : listing->names) {
    std::string ansi = Utf8ToAnsi(name, code_page_);
    if (!MatchesWindowsMask(mask, ansi)) continue;
    struct stat st;
    if (fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      std::string full = dir + "/" + name;
      // A link out of the volume lists as nothing, a dangling one too.
      if (!Contained(*volume, full) || stat(full.c_str(), &st) != 0) continue;
    }
    TFileInfo info;
    InfoFromStat(st, &info);
    info.name = std::move(ansi);
    out->push_back(std::move(info));
  }
  close(dfd);
  return true;
}

bool TOfflineVolumes::Info(std::string_view path, TFileInfo* info) {
  TTargetPath target;
  if (!ParseTargetPath(path, &target)) return false;
  std::string host;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ResolveParts(target, target.components.size(), &host)) return false;
  }
  TFileInfo result;
  if (!HostFileInfo(host, &result)) return false;
  if (target.components.empty()) {
    result.name = std::string(1, target.drive) + ":\\";
  } else {
    size_t slash = host.rfind('/');
    result.name = Utf8ToAnsi(host.substr(slash + 1), code_page_);
  }
  *info = std::move(result);
  return true;
}

TReadStatus TOfflineVolumes::Read(std::string_view path, std::string* data, uint64_t max_bytes) {
  TReadStatus status = TReadStatus::rsOk;
  std::unique_ptr<TFileReader> reader = Open(path, &status);
  if (!reader) return status;
  uint64_t size = reader->Size();
  if (size > max_bytes) size = max_bytes;
  if (size > static_cast<uint64_t>(SIZE_MAX / 2)) return TReadStatus::rsUnreadable;
  return reader->ReadAt(0, static_cast<size_t>(size), data) ? TReadStatus::rsOk
                                                            : TReadStatus::rsUnreadable;
}

std::unique_ptr<TFileReader> TOfflineVolumes::Open(std::string_view path, TReadStatus* status) {
  auto fail = [status](TReadStatus why) {
    if (status) *status = why;
    return std::unique_ptr<TFileReader>();
  };
  std::string host;
  if (!Resolve(path, &host)) return fail(TReadStatus::rsMissing);
  // O_NONBLOCK: a FIFO on the image must not hold the open; fstat refuses it.
  int fd = open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // Gone since it was resolved is missing; anything else (no permission,
    // a socket) is there but unreadable.
    return fail(errno == ENOENT || errno == ENOTDIR ? TReadStatus::rsMissing
                                                    : TReadStatus::rsUnreadable);
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return fail(TReadStatus::rsUnreadable);  // a folder or a device is no file to read
  }
  if (status) *status = TReadStatus::rsOk;
  return std::make_unique<THostFileReader>(fd, static_cast<uint64_t>(st.st_size));
}

bool TOfflineVolumes::Write(std::string_view path, std::string_view data) {
  if (!writable_) return false;
  std::string host;
  bool exists = false;
  if (!ResolveForWrite(path, &host, &exists)) return false;
  int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) ok = false;
  std::lock_guard<std::mutex> lock(mutex_);
  Invalidate(host.substr(0, host.rfind('/')));
  return ok;
}

bool TOfflineVolumes::MakeDirectory(std::string_view path) {
  if (!writable_) return false;
  std::string host;
  bool exists = false;
  if (!ResolveForWrite(path, &host, &exists) || exists) return false;
  bool ok = mkdir(host.c_str(), 0755) == 0;
  std::lock_guard<std::mutex> lock(mutex_);
  Invalidate(host.substr(0, host.rfind('/')));
  return ok;
}

bool TOfflineVolumes::Move(std::string_view from, std::string_view to) {
  if (!writable_) return false;
  std::string source, dest;
  bool exists = false;
  if (!Resolve(from, &source)) return false;
  if (!ResolveForWrite(to, &dest, &exists) || exists) return false;
  bool ok = rename(source.c_str(), dest.c_str()) == 0;
  std::lock_guard<std::mutex> lock(mutex_);
  Invalidate(source.substr(0, source.rfind('/')));
  Invalidate(dest.substr(0, dest.rfind('/')));
  return ok;
}

bool TOfflineVolumes::Remove(std::string_view path) {
  if (!writable_) return false;
  std::string host;
  bool exists = false;
  if (!ResolveForWrite(path, &host, &exists) || !exists) return false;
  struct stat st;
  if (lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  bool ok = unlink(host.c_str()) == 0;
  std::lock_guard<std::mutex> lock(mutex_);
  Invalidate(host.substr(0, host.rfind('/')));
  return ok;
}

}  // namespace vx
