#pragma once
// What the Printers page asks of the printing service: each operation forwards to the
// `os_actions::printing` function of the same name. Tests give the page a backend of their own.
//
// Stateless: shared between the page and its workers, and called from worker threads.
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "os_actions/printing.h"

namespace settings::panes::printers {

namespace printing = os_actions::printing;

template <typename T>
using Listing = std::expected<std::vector<T>, std::string>;
using ActionResult = std::expected<void, std::string>;

class PrintingBackend {
 public:
  virtual ~PrintingBackend() = default;

  virtual Listing<printing::PrinterQueue> queues() const { return printing::queues(); }
  virtual Listing<printing::PrintJob> jobs() const { return printing::jobs(); }
  virtual Listing<printing::DriverlessPrinter> discover_driverless() const { return printing::discover_driverless(); }
  virtual Listing<printing::Scanner> scanners() const { return printing::scanners(); }
  virtual ActionResult add_driverless(const printing::DriverlessPrinter& printer) const {
    return printing::add_driverless(printer);
  }
  virtual ActionResult set_default(std::string_view name) const { return printing::set_default(name); }
  virtual ActionResult set_enabled(std::string_view name, bool enabled) const {
    return printing::set_enabled(name, enabled);
  }
  virtual ActionResult remove_queue(std::string_view name) const { return printing::remove_queue(name); }
  virtual ActionResult cancel_job(std::string_view id) const { return printing::cancel_job(id); }
  virtual ActionResult retry_job(std::string_view id) const { return printing::retry_job(id); }
};

}  // namespace settings::panes::printers
