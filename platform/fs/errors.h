// Error codes of the file layer. The library reasons in DOS/Windows error codes
// (2 file not found, 5 access denied, 32 sharing violation, ...); the system reports
// errno values. dos_error_from_errno() is the one place where the two meet.
//
// An Error carries both: the DOS code callers test and show, and the errno it came
// from (0 when the failure was found by this layer, not reported by the system).
#pragma once

#include <string>

namespace codfix::fs {

// DOS/Windows error codes used by the library.
namespace dos {
inline constexpr int kNone = 0;
inline constexpr int kInvalidFunction = 1;
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kNotSameDevice = 17;
inline constexpr int kWriteProtect = 19;
inline constexpr int kWriteFault = 29;
inline constexpr int kReadFault = 30;
inline constexpr int kGeneralFailure = 31;
inline constexpr int kSharingViolation = 32;
inline constexpr int kLockViolation = 33;
inline constexpr int kFileExists = 80;
inline constexpr int kCannotMake = 82;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kDiskFull = 112;
inline constexpr int kDirNotEmpty = 145;
inline constexpr int kFilenameTooLong = 206;
}  // namespace dos

// What the failing call was doing; some errno values mean different DOS errors
// depending on it.
enum class ErrnoContext {
  kFile,    // naming or opening a file whose folder exists: ENOENT is "file not found"
  kFolder,  // the folder part of the path is missing: ENOENT is "path not found"
  kRead,    // reading data: EIO is a read fault
  kWrite,   // writing data: EIO is a write fault
  kLock,    // a byte-range lock was refused: EACCES/EAGAIN are a lock violation
  kShare,   // a whole-file (flock) lock was refused: EWOULDBLOCK is a sharing violation
};

// Maps an errno value to its DOS code. 0 maps to 0.
int dos_error_from_errno(int err, ErrnoContext context = ErrnoContext::kFile);

struct Error {
  int dos = dos::kNone;  // DOS/Windows error code
  int os = 0;            // the errno behind it, 0 when none

  bool failed() const { return dos != dos::kNone; }
  // "DOS error 2: No such file or directory" (the system's text when there is an errno).
  std::string message() const;
  friend bool operator==(const Error&, const Error&) = default;
};

// An Error from an errno value, both codes filled in.
Error error_from_errno(int err, ErrnoContext context = ErrnoContext::kFile);

}  // namespace codfix::fs
