#pragma once
// A Bluetooth backend in memory for the pane's tests: devices, power and discovery that the calls
// change, failures to give, a log of the changes, and a pairing that can be held until released.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "panes/bluetooth/bluetooth_backend.h"

namespace settings::panes::bluetooth::testing {

inline BluetoothDevice device(std::string path, std::string name, bool paired = false, bool connected = false) {
  BluetoothDevice made;
  made.path = std::move(path);
  made.name = std::move(name);
  made.address = "11:22:33:44:55:66";
  made.paired = paired;
  made.connected = connected;
  return made;
}

class FakeBluetooth final : public BluetoothBackend {
 public:
  // What the next calls answer; a failure text makes the call fail with it.
  struct Failures {
    std::optional<std::string> devices, power, scan, pair, connect, cancel, trust, alias, forget;
    std::optional<std::string> follow_up_connect;
  };

  std::vector<BluetoothDevice> list;
  bool adapter_powered = false;
  bool discovering = false;
  Failures fail;

  std::expected<std::vector<BluetoothDevice>, std::string> devices() const override {
    std::lock_guard lock(mutex_);
    ++reads_;
    if (fail.devices) return std::unexpected(*fail.devices);
    return list;
  }
  std::expected<bool, std::string> is_powered() const override {
    std::lock_guard lock(mutex_);
    ++power_reads_;
    return adapter_powered;
  }
  std::expected<bool, std::string> is_scanning() const override {
    std::lock_guard lock(mutex_);
    return discovering;
  }
  Done set_powered(bool enabled) const override {
    return change("set_powered " + std::string(enabled ? "on" : "off"), fail.power,
                  [&](FakeBluetooth& self) { self.adapter_powered = enabled; });
  }
  Done start_scan() const override {
    return change("start_scan", fail.scan, [](FakeBluetooth& self) { self.discovering = true; });
  }
  Done stop_scan() const override {
    return change("stop_scan", fail.scan, [](FakeBluetooth& self) { self.discovering = false; });
  }
  PairResult pair(std::string_view path) const override {
    std::unique_lock lock(mutex_);
    calls_.push_back("pair " + std::string(path));
    released_.wait(lock, [&] { return !hold_pairing_; });
    if (fail.pair) return std::unexpected(*fail.pair);
    for (auto& each : self().list) {
      if (each.path == path) each.paired = true;
    }
    if (fail.follow_up_connect) return fail.follow_up_connect;
    return std::nullopt;
  }
  Done cancel_pairing(std::string_view path) const override { return change("cancel " + std::string(path), fail.cancel, {}); }
  Done connect(std::string_view path) const override {
    return change("connect " + std::string(path), fail.connect, [&](FakeBluetooth& self) { self.set(path, &BluetoothDevice::connected, true); });
  }
  Done disconnect(std::string_view path) const override {
    return change("disconnect " + std::string(path), fail.connect,
                  [&](FakeBluetooth& self) { self.set(path, &BluetoothDevice::connected, false); });
  }
  Done set_trusted(std::string_view path, bool trusted) const override {
    return change("trust " + std::string(path) + (trusted ? " yes" : " no"), fail.trust,
                  [&](FakeBluetooth& self) { self.set(path, &BluetoothDevice::trusted, trusted); });
  }
  Done set_alias(std::string_view path, std::string_view alias) const override {
    return change("alias " + std::string(path) + " [" + std::string(alias) + "]", fail.alias, [&](FakeBluetooth& self) {
      for (auto& each : self.list) {
        if (each.path == path) each.name = std::string(alias);
      }
    });
  }
  Done forget(std::string_view path) const override {
    return change("forget " + std::string(path), fail.forget,
                  [&](FakeBluetooth& self) { std::erase_if(self.list, [&](const auto& d) { return d.path == path; }); });
  }

  // Pairings wait until `release_pairing`.
  void hold_pairing() {
    std::lock_guard lock(mutex_);
    hold_pairing_ = true;
  }
  void release_pairing() {
    {
      std::lock_guard lock(mutex_);
      hold_pairing_ = false;
    }
    released_.notify_all();
  }
  // The changes asked for, in order ("connect /org/bluez/hci0/dev_A").
  std::vector<std::string> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  int device_reads() const { return reads_; }
  int power_reads() const { return power_reads_; }
  void edit(const std::function<void(FakeBluetooth&)>& change) {
    std::lock_guard lock(mutex_);
    change(*this);
  }

 private:
  FakeBluetooth& self() const { return const_cast<FakeBluetooth&>(*this); }
  void set(std::string_view path, bool BluetoothDevice::*field, bool value) {
    for (auto& each : list) {
      if (each.path == path) each.*field = value;
    }
  }
  Done change(std::string call, const std::optional<std::string>& failure,
              const std::function<void(FakeBluetooth&)>& effect) const {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    if (failure) return std::unexpected(*failure);
    if (effect) effect(self());
    return {};
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable released_;
  mutable std::vector<std::string> calls_;
  mutable int reads_ = 0;
  mutable int power_reads_ = 0;
  bool hold_pairing_ = false;
};

}  // namespace settings::panes::bluetooth::testing
