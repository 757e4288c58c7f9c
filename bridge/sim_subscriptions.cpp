#include "bridge/sim_subscriptions.h"

#include "bridge/sim_catalogue.h"
#include "bridge/sim_link.h"

void defineSimData() {
  for (const SimVariable& variable : kSimVariables) {
    SimConnect_AddToDataDefinition(simLink, kSimDataDefinition, variable.name, variable.unit, variable.dataType, 0.0f,
                                   SIMCONNECT_UNUSED);
  }
}

void mapClientEvents() {
  for (const SimEventName& event : kClientEvents) {
    SimConnect_MapClientEventToSimEvent(simLink, event.id, event.name);
  }
}

bool subscribeToSystemEvents() {
  for (const SimEventName& event : kSystemEvents) {
    if (SimConnect_SubscribeToSystemEvent(simLink, event.id, event.name) < 0) return false;
  }
  return true;
}
