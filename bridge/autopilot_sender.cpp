#include "bridge/autopilot_sender.h"

#include "bridge/autopilot_relay.h"
#include "bridge/sim_link.h"

void relayAutopilotSettings(const uint8_t* block) {
  const RelayPlan plan = takeAndPlanAutopilotRelay(block);
  for (size_t i = 0; i < plan.count; ++i) {
    const ClientEventSend& send = plan.sends[i];
    // Fire and forget: a failed send is neither retried nor reported, and the
    // pending record has been reset either way.
    SimConnect_TransmitClientEvent(simLink, SIMCONNECT_OBJECT_ID_USER, send.eventId, send.data, send.priority,
                                   SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY);
  }
}
