// One end of a broker pipe connection with overlapped, bounded reads and writes
// of whole frames. Reads can be interrupted by a stop event; Shutdown from any
// thread makes pending and later operations fail at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "productsim/tvma/wire_format.h"
#include "shared/scoped_handle.h"

namespace tvsim {

enum class IoStatus { kOk, kTimeout, kStopped, kBroken };

class PipeChannel {
 public:
  // Takes ownership of a pipe handle opened with FILE_FLAG_OVERLAPPED.
  explicit PipeChannel(HANDLE pipe, bool server_end);
  ~PipeChannel();
  PipeChannel(const PipeChannel&) = delete;
  PipeChannel& operator=(const PipeChannel&) = delete;

  // Connects to the named pipe, waiting up to timeout_ms for a free instance.
  // kBroken when nobody serves the name.
  static IoStatus Connect(const std::wstring& name, DWORD timeout_ms,
                          std::shared_ptr<PipeChannel>* channel);

  // Writers are serialised; readers must not overlap each other.
  IoStatus WriteFrame(const Frame& frame, DWORD timeout_ms);
  // stop_event may be null. INFINITE waits without limit.
  IoStatus ReadFrame(Frame* frame, DWORD timeout_ms, HANDLE stop_event);

  // False once the other end has closed (or this end was shut down).
  bool PeerAlive();
  // Cancels pending I/O and, for the server end, disconnects the client.
  void Shutdown();

 private:
  // Moves exactly size bytes; *moved tells whether any byte went through.
  IoStatus Transfer(bool write, uint8_t* data, DWORD size, DWORD start_tick, DWORD timeout_ms,
                    HANDLE stop_event, bool* moved);

  hx::ScopedKernelHandle pipe_;
  // Completion events, one for the reader and one for the writers.
  hx::ScopedKernelHandle read_event_;
  hx::ScopedKernelHandle write_event_;
  bool server_end_;
  std::atomic<bool> broken_{false};
  std::mutex write_lock_;
};

// Milliseconds left until deadline (0 when past); INFINITE stays INFINITE.
DWORD Remaining(DWORD start_tick, DWORD timeout_ms);

}  // namespace tvsim
