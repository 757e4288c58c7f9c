// What the session sets up on every newly opened simulator link: the data
// definition of the variable catalogue, the client-event mappings and the
// system-event subscriptions. Session thread only, on the open `simLink`.
#pragma once

// Adds the 182 catalogue variables to data definition 0, in table order.
// Results are not examined: a failed definition shows as missing data.
void defineSimData();

// Maps client events 3 to 19 to their simulator events, in table order.
void mapClientEvents();

// Subscribes to "Frame", "AircraftLoaded" and "SimStart", in that order;
// false at the first failure.
bool subscribeToSystemEvents();
