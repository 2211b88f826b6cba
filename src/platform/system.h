#pragma once
// Process and time services of the operating system, as the portable core sees them.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace harlowe::platform {

using Handle = std::uintptr_t;  // 0 = no handle

// What became of an attempt to lock a file for the rest of the process.
enum class FileLock {
  Held,         // this process holds it; the system releases it when the process ends
  InUse,        // another process holds it
  Unavailable,  // it cannot be taken here (a folder that cannot be written, for example)
};

class System {
 public:
  virtual ~System() = default;
  // Folder of the running program, UTF-8, as the OS reports it (no trailing "\" added).
  virtual std::string programFolder() = 0;
  // Starts a program hidden (no window) with the given command line; returns its process id,
  // or 0 when it could not be started.
  virtual std::uint32_t startHidden(const std::string& commandLine) = 0;
  virtual Handle openProcess(std::uint32_t access, bool inheritHandle, std::uint32_t pid) = 0;
  // Returns false when the query fails; code 259 means the process is still running.
  virtual bool getExitCodeProcess(Handle process, std::uint32_t& code) = 0;
  virtual bool closeHandle(Handle h) = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;
  // Opens the file (created when missing, its content left alone) and keeps it open, shared
  // with no other process, until the process ends, however it ends.
  virtual FileLock lockFile(const std::string& utf8Path) = 0;
  // The current date and time in the user's short date and time format ("date time").
  virtual std::string nowText() = 0;
  // Ends the process at once; never returns (a test fake throws instead).
  [[noreturn]] virtual void endProgram(int exitCode) = 0;
};

// Calls endProgram and tells the compiler that control does not come back.
[[noreturn]] inline void endProgram(System& system, int exitCode) {
  system.endProgram(exitCode);
  std::abort();  // not reached: endProgram never returns
}

inline constexpr std::uint32_t kStillActive = 259;
inline constexpr std::uint32_t kProcessQueryInformation = 0x400;

}  // namespace harlowe::platform
