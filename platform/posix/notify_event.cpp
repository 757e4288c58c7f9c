#include "platform/notify_event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

struct NotifyEvent {
  std::mutex lock;
  std::condition_variable signalled;
  bool set = false;
};

}  // namespace

void postNotifyMessage(HWND, DWORD) {}

void setNotifyEvent(HANDLE event) {
  if (event == nullptr) return;
  NotifyEvent& notify = *static_cast<NotifyEvent*>(event);
  {
    std::lock_guard<std::mutex> guard(notify.lock);
    notify.set = true;
  }
  notify.signalled.notify_one();
}

HANDLE createNotifyEvent() { return new NotifyEvent; }

bool waitNotifyEvent(HANDLE event, uint32_t timeoutMilliseconds) {
  if (event == nullptr) return false;
  NotifyEvent& notify = *static_cast<NotifyEvent*>(event);
  std::unique_lock<std::mutex> guard(notify.lock);
  const bool set = notify.signalled.wait_for(guard, std::chrono::milliseconds(timeoutMilliseconds),
                                             [&notify] { return notify.set; });
  notify.set = false;
  return set;
}

void closeNotifyEvent(HANDLE event) { delete static_cast<NotifyEvent*>(event); }
