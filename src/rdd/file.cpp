#include "rdd/file.h"

#include "rdd/paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace rdd {

#ifndef _WIN32

namespace {
int osCode(int err) {
  switch (err) {
    case ENOENT: return kOsFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kOsAccessDenied;
    case EWOULDBLOCK: return kOsSharingViolation;
    default: return err;
  }
}
}  // namespace

File::~File() {
  if (map_) munmap(map_, mapLength_);
  if (fd_ >= 0) ::close(fd_);  // also drops flock() and the open-file-description locks
}

std::unique_ptr<File> File::open(const std::string& path, OpenMode mode, int& osError) {
  osError = 0;
  int flags = (mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
  std::string local = localPath(path);
  int fd = ::open(local.c_str(), flags);
  if (fd < 0) {
    osError = osCode(errno);
    return nullptr;
  }
  // Open modes as the runtime emulates them on this system: a whole-file
  // flock, shared for shared and read-only opens, exclusive otherwise.
  if (::flock(fd, (mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    osError = kOsSharingViolation;
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<File> f(new File());
  f->fd_ = fd;
  f->path_ = path;
  f->writable_ = mode != OpenMode::ReadOnly;
  return f;
}

std::unique_ptr<File> File::create(const std::string& path, int& osError, bool overwrite) {
  osError = 0;
  std::string local = localPath(path);
  int fd = ::open(local.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    osError = osCode(errno);
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    osError = kOsSharingViolation;
    ::close(fd);
    return nullptr;
  }
  if (!overwrite && ::ftruncate(fd, 0) != 0) {
    osError = osCode(errno);
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<File> f(new File());
  f->fd_ = fd;
  f->path_ = path;
  f->writable_ = true;
  return f;
}

std::size_t File::read(std::uint64_t offset, void* buf, std::size_t n) const {
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done, off_t(offset + done));
    if (r <= 0) break;
    done += std::size_t(r);
  }
  return done;
}

bool File::write(std::uint64_t offset, const void* buf, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pwrite(fd_, static_cast<const char*>(buf) + done, n - done, off_t(offset + done));
    if (r <= 0) return false;
    done += std::size_t(r);
  }
  return true;
}

std::uint64_t File::size() const {
  struct stat st{};
  return ::fstat(fd_, &st) == 0 ? std::uint64_t(st.st_size) : 0;
}

bool File::truncate(std::uint64_t size) {
  if (map_) {
    munmap(map_, mapLength_);
    map_ = nullptr;
    mapLength_ = 0;
  }
  return ::ftruncate(fd_, off_t(size)) == 0;
}

void File::flush() { ::fdatasync(fd_); }

bool File::lock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  struct flock fl{};
  fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = off_t(offset);
  fl.l_len = off_t(length);
  // A read-only descriptor cannot hold a write lock: take a read lock there.
  if (!writable_ && exclusive) fl.l_type = F_RDLCK;
  return ::fcntl(fd_, F_OFD_SETLK, &fl) == 0;
}

void File::unlock(std::uint64_t offset, std::uint64_t length) {
  struct flock fl{};
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = off_t(offset);
  fl.l_len = off_t(length);
  ::fcntl(fd_, F_OFD_SETLK, &fl);
}

const char* File::view(std::uint64_t length) {
  if (length == 0) return nullptr;
  if (map_ && mapLength_ >= length) return static_cast<const char*>(map_);
  if (map_) munmap(map_, mapLength_);
  map_ = nullptr;
  mapLength_ = 0;
  void* p = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd_, 0);
  if (p == MAP_FAILED) return nullptr;
  ::madvise(p, length, MADV_RANDOM);  // records and pages are reached in key order, not file order
  map_ = p;
  mapLength_ = length;
  return static_cast<const char*>(p);
}

void File::trimView() {
  if (map_) ::madvise(map_, mapLength_, MADV_DONTNEED);
}

LargeBlock::LargeBlock(std::size_t bytes) : bytes_(bytes) {
  // Big blocks come straight from the system, which hands them out zeroed
  // page by page as they are first touched.
  if (bytes >= (std::size_t(1) << 20)) {
    void* p = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (p != MAP_FAILED) {
      data_ = static_cast<char*>(p);
      mapped_ = true;
      return;
    }
  }
  data_ = new char[bytes]();
}

LargeBlock::~LargeBlock() {
  if (mapped_)
    ::munmap(data_, bytes_);
  else
    delete[] data_;
}

bool fileExists(const std::string& path) {
  struct stat st{};
  return ::stat(localPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool removeFile(const std::string& path) { return ::unlink(localPath(path).c_str()) == 0; }

#else  // Windows: share modes and LockFileEx

File::~File() {
  if (handle_) CloseHandle(handle_);
}

std::unique_ptr<File> File::open(const std::string& path, OpenMode mode, int& osError) {
  DWORD access = mode == OpenMode::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD share = mode == OpenMode::Exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    osError = int(GetLastError());
    return nullptr;
  }
  std::unique_ptr<File> f(new File());
  f->handle_ = h;
  f->path_ = path;
  f->writable_ = mode != OpenMode::ReadOnly;
  return f;
}

std::unique_ptr<File> File::create(const std::string& path, int& osError, bool overwrite) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, overwrite ? OPEN_ALWAYS : CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    osError = int(GetLastError());
    return nullptr;
  }
  std::unique_ptr<File> f(new File());
  f->handle_ = h;
  f->path_ = path;
  f->writable_ = true;
  return f;
}

std::size_t File::read(std::uint64_t offset, void* buf, std::size_t n) const {
  OVERLAPPED ov{};
  ov.Offset = DWORD(offset);
  ov.OffsetHigh = DWORD(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(handle_, buf, DWORD(n), &got, &ov)) return 0;
  return got;
}

bool File::write(std::uint64_t offset, const void* buf, std::size_t n) {
  OVERLAPPED ov{};
  ov.Offset = DWORD(offset);
  ov.OffsetHigh = DWORD(offset >> 32);
  DWORD put = 0;
  return WriteFile(handle_, buf, DWORD(n), &put, &ov) && put == n;
}

std::uint64_t File::size() const {
  LARGE_INTEGER s;
  return GetFileSizeEx(handle_, &s) ? std::uint64_t(s.QuadPart) : 0;
}

bool File::truncate(std::uint64_t size) {
  LARGE_INTEGER p;
  p.QuadPart = LONGLONG(size);
  return SetFilePointerEx(handle_, p, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}

void File::flush() { FlushFileBuffers(handle_); }

bool File::lock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  OVERLAPPED ov{};
  ov.Offset = DWORD(offset);
  ov.OffsetHigh = DWORD(offset >> 32);
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  return LockFileEx(handle_, flags, 0, DWORD(length), DWORD(length >> 32), &ov);
}

void File::unlock(std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED ov{};
  ov.Offset = DWORD(offset);
  ov.OffsetHigh = DWORD(offset >> 32);
  UnlockFileEx(handle_, 0, DWORD(length), DWORD(length >> 32), &ov);
}

const char* File::view(std::uint64_t) { return nullptr; }
void File::trimView() {}

LargeBlock::LargeBlock(std::size_t bytes) : data_(new char[bytes]()), bytes_(bytes) {}
LargeBlock::~LargeBlock() { delete[] data_; }

bool fileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool removeFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

#endif

}  // namespace rdd
