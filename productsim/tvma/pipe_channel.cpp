#include "productsim/tvma/pipe_channel.h"

#include <vector>

namespace tvsim {

DWORD Remaining(DWORD start_tick, DWORD timeout_ms) {
  if (timeout_ms == INFINITE) return INFINITE;
  DWORD elapsed = GetTickCount() - start_tick;
  return elapsed >= timeout_ms ? 0 : timeout_ms - elapsed;
}

PipeChannel::PipeChannel(HANDLE pipe, bool server_end)
    : pipe_(pipe),
      read_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      write_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      server_end_(server_end) {}

PipeChannel::~PipeChannel() {
  if (server_end_ && pipe_) DisconnectNamedPipe(pipe_.Get());
}

IoStatus PipeChannel::Connect(const std::wstring& name, DWORD timeout_ms,
                              std::shared_ptr<PipeChannel>* channel) {
  DWORD start = GetTickCount();
  for (;;) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      *channel = std::make_shared<PipeChannel>(h, false);
      return IoStatus::kOk;
    }
    if (GetLastError() != ERROR_PIPE_BUSY) return IoStatus::kBroken;
    DWORD left = Remaining(start, timeout_ms);
    if (left == 0) return IoStatus::kTimeout;
    // All instances busy: the server makes a new one right after each accept.
    WaitNamedPipeW(name.c_str(), left > 200 ? 200 : left);
  }
}

IoStatus PipeChannel::Transfer(bool write, uint8_t* data, DWORD size, DWORD start_tick,
                               DWORD timeout_ms, HANDLE stop_event, bool* moved) {
  const hx::ScopedKernelHandle& event = write ? write_event_ : read_event_;
  if (!event) return IoStatus::kBroken;
  DWORD done_total = 0;
  while (done_total < size) {
    if (broken_) return IoStatus::kBroken;
    OVERLAPPED ov = {};
    ov.hEvent = event.Get();
    BOOL ok = write ? WriteFile(pipe_.Get(), data + done_total, size - done_total, nullptr, &ov)
                    : ReadFile(pipe_.Get(), data + done_total, size - done_total, nullptr, &ov);
    if (!ok && GetLastError() != ERROR_IO_PENDING) {
      broken_ = true;
      return IoStatus::kBroken;
    }
    HANDLE waits[2] = {event.Get(), stop_event};
    DWORD wait = WaitForMultipleObjects(stop_event ? 2 : 1, waits, FALSE,
                                        Remaining(start_tick, timeout_ms));
    IoStatus interrupted = IoStatus::kOk;
    if (wait == WAIT_TIMEOUT) {
      interrupted = IoStatus::kTimeout;
    } else if (wait == WAIT_OBJECT_0 + 1) {
      interrupted = IoStatus::kStopped;
    } else if (wait != WAIT_OBJECT_0) {
      interrupted = IoStatus::kBroken;
    }
    if (interrupted != IoStatus::kOk) CancelIoEx(pipe_.Get(), &ov);
    DWORD n = 0;
    // Waits for the cancelled operation to settle before ov leaves scope.
    ok = GetOverlappedResult(pipe_.Get(), &ov, &n, TRUE);
    done_total += n;
    if (done_total > 0) *moved = true;
    if (interrupted == IoStatus::kOk && (!ok || n == 0)) {
      broken_ = true;
      return IoStatus::kBroken;
    }
    if (interrupted != IoStatus::kOk && done_total < size) {
      // A frame cut in the middle leaves the stream out of step.
      if (done_total > 0) broken_ = true;
      return interrupted;
    }
  }
  return IoStatus::kOk;
}

IoStatus PipeChannel::WriteFrame(const Frame& frame, DWORD timeout_ms) {
  std::vector<uint8_t> bytes;
  if (!EncodeFrame(frame, &bytes)) return IoStatus::kBroken;
  std::lock_guard<std::mutex> hold(write_lock_);
  bool moved = false;
  IoStatus st = Transfer(true, bytes.data(), static_cast<DWORD>(bytes.size()), GetTickCount(),
                         timeout_ms, nullptr, &moved);
  if (st != IoStatus::kOk && moved) broken_ = true;
  return st;
}

IoStatus PipeChannel::ReadFrame(Frame* frame, DWORD timeout_ms, HANDLE stop_event) {
  DWORD start = GetTickCount();
  uint8_t header[kHeaderBytes];
  bool moved = false;
  IoStatus st = Transfer(false, header, kHeaderBytes, start, timeout_ms, stop_event, &moved);
  if (st != IoStatus::kOk) return st;
  uint32_t body_size = 0;
  if (!DecodeLength(header, &body_size)) {
    broken_ = true;
    return IoStatus::kBroken;
  }
  std::vector<uint8_t> body(body_size);
  st = Transfer(false, body.data(), body_size, start, timeout_ms, stop_event, &moved);
  if (st != IoStatus::kOk) {
    broken_ = true;
    return st;
  }
  if (!DecodeBody(body.data(), body.size(), frame)) {
    broken_ = true;
    return IoStatus::kBroken;
  }
  return IoStatus::kOk;
}

bool PipeChannel::PeerAlive() {
  if (broken_) return false;
  DWORD avail = 0;
  if (!PeekNamedPipe(pipe_.Get(), nullptr, 0, nullptr, &avail, nullptr)) {
    return GetLastError() != ERROR_BROKEN_PIPE && GetLastError() != ERROR_PIPE_NOT_CONNECTED &&
           GetLastError() != ERROR_NO_DATA;
  }
  return true;
}

void PipeChannel::Shutdown() {
  broken_ = true;
  CancelIoEx(pipe_.Get(), nullptr);
  if (server_end_) DisconnectNamedPipe(pipe_.Get());
}

}  // namespace tvsim
