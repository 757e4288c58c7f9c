#include "tools/sim/engine_model.h"

#include <algorithm>
#include <cmath>

namespace simemu {

namespace {

constexpr double kPoundsPerGallon = 6.7;
constexpr double kAmbientC = 15;
constexpr double kStarterSeconds = 12;  // per engine, one after the other

struct EngineKind {
  double idleN1;
  double maxN1;
  double idleFuelFlowPph;
  double maxFuelFlowPph;
  double idleEgtC;
  double maxEgtC;
  double maxTorqueFtLb;
  double rpmPerN2Pct;
  double propIdleRpm;
  double propMaxRpm;
};

const EngineKind kJet{21, 100, 700, 7200, 420, 840, 0, 150, 0, 0};
const EngineKind kTurboprop{63, 101, 240, 950, 480, 780, 2700, 0, 820, 1200};

// Moves value toward target with time constant tau seconds.
double lag(double value, double target, double tau, double dt) {
  return value + (target - value) * (1 - std::exp(-dt / tau));
}

void startSequence(double elapsed, int index, EngineState* engine) {
  const double begin = 3 + index * kStarterSeconds;
  engine->starter = elapsed >= begin && elapsed < begin + kStarterSeconds - 2;
  if (elapsed >= begin + kStarterSeconds - 2) engine->running = true;
}

void advanceEngine(const EngineKind& kind, double altitudeFt, double dt, EngineState* e) {
  const double lever = std::max(0.0, std::min(1.0, e->thrustLever));
  const double n1Target = e->running ? kind.idleN1 + lever * (kind.maxN1 - kind.idleN1) : (e->starter ? 12 : 0);
  e->n1Pct = lag(e->n1Pct, n1Target, 1.8, dt);
  const double power = e->running ? std::max(0.0, (e->n1Pct - kind.idleN1) / (kind.maxN1 - kind.idleN1)) : 0;
  const double n2Target = e->running ? 60 + 0.4 * e->n1Pct : (e->starter ? 24 : 0);
  e->n2Pct = lag(e->n2Pct, n2Target, 1.5, dt);
  e->epr = kind.maxTorqueFtLb > 0 ? 1.0 : 1.0 + 0.55 * std::pow(power, 1.3);
  const double egtTarget =
      e->running ? kind.idleEgtC + power * (kind.maxEgtC - kind.idleEgtC) : (e->starter ? 260 : kAmbientC);
  e->egtC = lag(e->egtC, egtTarget, 4, dt);
  const double thinAir = std::max(0.4, 1 - altitudeFt / 80000);
  e->fuelFlowPph =
      e->running
          ? (kind.idleFuelFlowPph + (kind.maxFuelFlowPph - kind.idleFuelFlowPph) * std::pow(power, 1.5)) * thinAir
          : 0;
  e->oilPressurePsi = lag(e->oilPressurePsi, e->n2Pct > 20 ? 28 + 0.45 * e->n2Pct : 0, 2, dt);
  e->oilTemperatureC = lag(e->oilTemperatureC, e->running ? 55 + 0.5 * e->n2Pct : kAmbientC, 60, dt);
  e->vibration = e->running ? 0.4 + 0.012 * e->n1Pct : 0;
  e->hydraulicPressurePsi = lag(e->hydraulicPressurePsi, e->n2Pct > 40 ? 3000 : 0, 1.5, dt);
  e->fuelPressurePsi = e->running ? 24 + 0.2 * e->n2Pct : 3;
  e->torqueFtLb = kind.maxTorqueFtLb * (e->running ? 0.08 + 0.92 * power : 0);
  e->rpm = kind.propMaxRpm > 0 ? (e->running ? kind.propIdleRpm + power * (kind.propMaxRpm - kind.propIdleRpm) : 0)
                               : e->n2Pct * kind.rpmPerN2Pct;
  e->turbineInletTemperatureC = kind.maxTorqueFtLb > 0 ? e->egtC : 0;
}

// Takes gallons from the pair of tanks evenly; returns what they could not give.
double drainPair(double gallons, TankState* a, TankState* b) {
  TankState* tanks[2] = {a, b};
  double remaining = gallons;
  for (int pass = 0; pass < 2 && remaining > 1e-12; ++pass) {
    int withFuel = 0;
    for (TankState* tank : tanks) withFuel += (tank != nullptr && tank->level > 0 && tank->capacityGal > 0) ? 1 : 0;
    if (withFuel == 0) break;
    const double share = remaining / withFuel;
    for (TankState* tank : tanks) {
      if (tank == nullptr || tank->level <= 0 || tank->capacityGal <= 0) continue;
      const double taken = std::min(share, tank->level * tank->capacityGal);
      tank->level -= taken / tank->capacityGal;
      if (tank->level < 1e-12) tank->level = 0;
      remaining -= taken;
    }
  }
  return remaining;
}

}  // namespace

void prepareEngines(const AircraftProfile& profile, SimState* state) {
  state->engineCount = profile.engineCount;
  for (EngineState& engine : state->engines) engine = EngineState();
  const double startLevel[kTankCount] = {0.55, 0.5, 0.5, 0.95, 0.95, 0.9, 0.9, 0.9, 0.9};
  for (int tank = 0; tank < kTankCount; ++tank) {
    state->tanks[tank].capacityGal = profile.tankCapacityGal[tank];
    state->tanks[tank].level = profile.tankCapacityGal[tank] > 0 ? startLevel[tank] : 0;
  }
}

void advanceEngines(const AircraftProfile& profile, double startElapsedSec, double dt, SimState* state) {
  const EngineKind& kind = profile.jet ? kJet : kTurboprop;
  for (int i = 0; i < state->engineCount; ++i) {
    EngineState& engine = state->engines[i];
    if (startElapsedSec >= 0 && !engine.running) startSequence(startElapsedSec, i, &engine);
    if (engine.running) engine.starter = false;
    advanceEngine(kind, state->altitudeFt, dt, &engine);
  }
}

void burnFuel(double dt, SimState* state) {
  double pounds = 0;
  for (int i = 0; i < state->engineCount; ++i) pounds += state->engines[i].fuelFlowPph * dt / 3600.0;
  double gallons = pounds / kPoundsPerGallon;
  TankState* t = state->tanks;
  gallons = drainPair(gallons, &t[kTankCenter], nullptr);
  gallons = drainPair(gallons, &t[kTankCenter2], &t[kTankCenter3]);
  gallons = drainPair(gallons, &t[kTankLeftAux], &t[kTankRightAux]);
  gallons = drainPair(gallons, &t[kTankLeftMain], &t[kTankRightMain]);
  drainPair(gallons, &t[kTankLeftTip], &t[kTankRightTip]);
}

}  // namespace simemu
