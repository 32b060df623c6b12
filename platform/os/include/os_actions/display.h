#pragma once
// Screen brightness through the backlight class of sysfs, and whether the machine has an ambient
// light sensor.
//
// The backlight used is the first of /sys/class/backlight by kind: "firmware" (the interface the
// firmware offers, which knows the panel) before "platform" (a vendor driver) before "raw" (the GPU
// register), and by name within a kind. A device whose maximum is missing or zero is passed over.
#include <expected>
#include <string>

namespace os_actions::display {

// The present brightness, 0..1: the device's actual brightness over its maximum.
std::expected<float, std::string> get_brightness();

// Sets the brightness to `percent` (0..100) of the device's maximum, rounded to the nearest step.
// Goes through the login manager's session (which lets the user at the seat change it without
// root); when the login manager is not running or refuses, writes the device's file if this
// process may. A percentage that is not a finite number from 0 to 100 is refused and nothing changes.
std::expected<void, std::string> set_brightness(float percent);

// An industrial-I/O device under /sys/bus/iio/devices that reads illuminance, or the sensor proxy
// service reporting an ambient light sensor. False when neither can be found; never fails.
bool has_ambient_light_sensor();

}  // namespace os_actions::display
