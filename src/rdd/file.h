// One portable layer over the operating system's files: positioned reads and
// writes, open modes that other stations see, and byte-range locks in the
// scheme the suite's other programs use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace rdd {

enum class OpenMode { Shared, Exclusive, ReadOnly };

// Operating-system codes the error handler tests (the runtime's numbering).
constexpr int kOsFileNotFound = 2;
constexpr int kOsAccessDenied = 5;
constexpr int kOsSharingViolation = 32;

class File {
 public:
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Null on failure with `osError` set. A shared open coexists with other
  // shared opens; an exclusive one with none (sharing violation otherwise).
  static std::unique_ptr<File> open(const std::string& path, OpenMode mode, int& osError);
  // Creates (or truncates) and opens exclusively. With `overwrite` an
  // existing file keeps its bytes until written over (cheaper than freeing
  // them when the file is rewritten whole; truncate afterwards).
  static std::unique_ptr<File> create(const std::string& path, int& osError, bool overwrite = false);

  std::size_t read(std::uint64_t offset, void* buf, std::size_t n) const;
  bool write(std::uint64_t offset, const void* buf, std::size_t n);
  std::uint64_t size() const;
  bool truncate(std::uint64_t size);
  void flush();
  const std::string& path() const { return path_; }
  bool writable() const { return writable_; }

  // Byte-range locks, never waiting. Locks belong to this open file, not to
  // the process, so closing another handle of the same file keeps them.
  bool lock(std::uint64_t offset, std::uint64_t length, bool exclusive);
  void unlock(std::uint64_t offset, std::uint64_t length);

  // A read-only view of the first `length` bytes for fast scans; null when
  // the platform cannot map. Valid until the next call or until closed.
  const char* view(std::uint64_t length);
  // Gives the view's resident pages back (they stay in the system's file
  // cache), so that long scans do not grow the process.
  void trimView();

 private:
  File() = default;
  std::string path_;
  bool writable_ = false;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
  void* map_ = nullptr;
  std::uint64_t mapLength_ = 0;
#endif
};

// The suite's lock offsets (the Clipper-compatible DBFNTX scheme).
constexpr std::uint64_t kLockBase = 1000000000ULL;
constexpr std::uint64_t kFileLockOffset = kLockBase + 1;
constexpr std::uint64_t kFileLockLength = 1000000000ULL;

// Zero-filled working memory for large one-pass jobs (index builds), given
// back to the system whole when done.
class LargeBlock {
 public:
  explicit LargeBlock(std::size_t bytes);
  ~LargeBlock();
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;
  char* data() { return data_; }

 private:
  char* data_ = nullptr;
  std::size_t bytes_ = 0;
  bool mapped_ = false;
};

bool fileExists(const std::string& path);
bool removeFile(const std::string& path);

}  // namespace rdd
