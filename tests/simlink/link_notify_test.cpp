// Closing a link while one of its I/O threads is notifying the application:
// the close must not return before that notification has ended, so that the
// application can close its event as soon as the close returns. Runs with a
// stand-in event whose signal a test can hold in flight.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gated_notify_event.h"
#include "link_test_support.h"
#include "platform/notify_event.h"
#include "simlink/link_process.h"
#include "simlink/simconnect.h"

namespace {

// Longer than the close takes when it does not wait for the notification.
constexpr uint32_t kCloseGraceMilliseconds = 1000;

TEST(LinkNotifyTest, CloseWaitsForANotificationInFlightAndNoneFollowsIt) {
  ScratchFolders folders;
  ASSERT_TRUE(folders.ready());
  auto simulator = serveConfiguredIpv4(folders);
  ASSERT_NE(simulator, nullptr);
  HANDLE event = createNotifyEvent();
  HANDLE notified = nullptr;
  HANDLE other = nullptr;  // open throughout, so the close is not that of the last link
  ASSERT_EQ(SimConnect_Open(&notified, "Notified", nullptr, 0, event, 0), kSimConnectOk);
  ASSERT_TRUE(simulator->accept());
  ASSERT_EQ(SimConnect_Open(&other, "Other", nullptr, 0, nullptr, 0), kSimConnectOk);

  gated_notify::holdNextSignal();
  ASSERT_TRUE(simulator->send(simulatorMessage(16, SIMCONNECT_RECV_ID_EVENT, 1)));
  ASSERT_TRUE(gated_notify::signalHeld(kTestWaitMilliseconds)) << "the arrival was never notified";

  // The application closes the link, then at once its event.
  std::atomic<bool> closeReturned{false};
  bool heldWhenCloseReturned = false;
  std::thread application([&] {
    EXPECT_EQ(SimConnect_Close(notified), kSimConnectOk);
    heldWhenCloseReturned = gated_notify::signalStillHeld();
    closeNotifyEvent(event);
    closeReturned = true;
  });
  eventually([&] { return closeReturned.load(); }, kCloseGraceMilliseconds);
  gated_notify::releaseSignal();
  application.join();

  EXPECT_FALSE(heldWhenCloseReturned) << "the close returned while the link was still notifying";
  EXPECT_EQ(gated_notify::signalsAfterClose(), 0u) << "the event was signalled after the application closed it";
  EXPECT_EQ(SimConnect_Close(other), kSimConnectOk);
  EXPECT_EQ(liveClientObjectCount(), 0);
}

}  // namespace
