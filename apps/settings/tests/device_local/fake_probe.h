#pragma once
// A fixed machine for the device checks: one battery with a charge cap, a wired device, three
// Bluetooth devices, a small audio graph, two displays and two print queues. A test changes a field
// or sets an error to take a device away.
#include <string>

#include "device_local/device_probe.h"

namespace settings::device_local::testing {

class FakeProbe final : public DeviceProbe {
 public:
  FakeProbe() {
    capability = os_actions::battery::ChargeCapability{{80, 100}, 100};
    wired_state->interface = "enp1s0";
    devices = {bluetooth("/bt/paired_connected", true, true), bluetooth("/bt/paired", true, false),
               bluetooth("/bt/new", false, false)};
    graph.sinks = {node(40)};
    graph.sources = {node(50)};
    graph.playback_streams = {stream(60, true)};
    graph.recording_streams = {stream(70, false)};
    media::audio::AudioDevice card;
    card.id = 30;
    card.profiles = {{"Stereo", 1, true}, {"Surround", 2, false}};
    graph.devices = {card};
    settings_store::OutputDescriptor laptop;
    laptop.connector = "eDP-1";
    laptop.modes = {{1920, 1080, 60000}};
    laptop.color_profiles = {"srgb"};
    laptop.color_profile_names = {{"srgb", "sRGB"}};
    settings_store::OutputDescriptor monitor;
    monitor.connector = "DP-1";
    monitor.hdr_capable = true;
    monitor.vrr_capable = true;
    displays->outputs = {laptop, monitor};
    queues = {queue("office", os_actions::printing::QueueState::Paused),
              queue("lab", os_actions::printing::QueueState::Ready)};
    os_actions::printing::PrintJob job;
    job.id = "office-12";
    jobs = {job};
  }

  static os_actions::bluez::BluetoothDevice bluetooth(std::string path, bool paired, bool connected) {
    os_actions::bluez::BluetoothDevice device;
    device.path = std::move(path);
    device.paired = paired;
    device.connected = connected;
    return device;
  }
  static media::audio::AudioNode node(std::uint32_t id) {
    media::audio::AudioNode node;
    node.id = id;
    return node;
  }
  static media::audio::AudioStream stream(std::uint32_t id, bool playback) {
    media::audio::AudioStream stream;
    stream.id = id;
    stream.playback = playback;
    return stream;
  }
  static os_actions::printing::PrinterQueue queue(std::string name, os_actions::printing::QueueState state) {
    os_actions::printing::PrinterQueue queue;
    queue.name = std::move(name);
    queue.state = state;
    return queue;
  }

  template <class T>
  using Answer = std::expected<T, std::string>;

  Answer<std::optional<os_actions::battery::ChargeCapability>> capability;
  Answer<os_actions::network::WiredState> wired_state;
  Answer<std::vector<os_actions::bluez::BluetoothDevice>> devices;
  media::audio::AudioGraph graph;
  Answer<settings_store::DisplayHardwareSnapshot> displays;
  Answer<std::vector<os_actions::printing::PrinterQueue>> queues;
  Answer<std::vector<os_actions::printing::PrintJob>> jobs;
  int reads = 0;

  Answer<std::optional<os_actions::battery::ChargeCapability>> charge_capability() override { return ++reads, capability; }
  Answer<os_actions::network::WiredState> wired() override { return ++reads, wired_state; }
  Answer<std::vector<os_actions::bluez::BluetoothDevice>> bluetooth_devices() override { return ++reads, devices; }
  Answer<media::audio::AudioGraph> audio_graph() override { return ++reads, graph; }
  Answer<settings_store::DisplayHardwareSnapshot> display_snapshot() override { return ++reads, displays; }
  Answer<std::vector<os_actions::printing::PrinterQueue>> printer_queues() override { return ++reads, queues; }
  Answer<std::vector<os_actions::printing::PrintJob>> print_jobs() override { return ++reads, jobs; }
};

}  // namespace settings::device_local::testing
