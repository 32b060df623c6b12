// The Printers page, built afresh from the pane's state at every layout.
#include <utility>
#include <vector>

#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/text.h"
#include "panes/printers/printer_keys.h"
#include "panes/printers/printer_rows.h"
#include "panes/printers/printers_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::printers {
namespace {

using namespace widget_support;

WidgetBox card(std::string_view title, std::vector<RowBox> rows, std::string_view empty_caption,
               WidgetBox accessory = nullptr) {
  if (rows.empty()) rows.push_back(caption_text(empty_caption));
  auto body = section_stack(std::move(rows));
  if (accessory) return titled_card_with_accessory(title, std::move(accessory), std::move(body));
  return titled_card(title, std::move(body));
}

}  // namespace

std::unique_ptr<orvo_ui::Widget> PrintersPane::build_view() {
  std::vector<WidgetBox> cards;
  if (notice_) {
    std::vector<WidgetBox> lines;
    lines.push_back(std::make_unique<orvo_ui::Text>(orvo_ui::Text(*notice_).with_size(kRowTextSize).with_wrap(true)));
    cards.push_back(titled_card("Printer needs attention", section_stack(std::move(lines))));
  }
  auto refresh = std::make_unique<orvo_ui::Button>(
      controls_.press_button(std::string(kRefreshKey), refreshing_ ? "Refreshing…" : "Refresh", kRefreshKey));
  std::vector<RowBox> queue_rows = printer_queue_rows(queues_, pending_removal_, controls_);
  // A change that went through says so here; one that failed is in the notice above.
  if (action_success_ && !queue_rows.empty()) queue_rows.insert(queue_rows.begin(), caption_text(*action_success_));
  cards.push_back(card("Printers", std::move(queue_rows), kNoQueuesCaption, std::move(refresh)));
  auto discover = std::make_unique<orvo_ui::Button>(
      controls_.press_button(std::string(kDiscoverKey), discovering_ ? "Searching…" : "Find printers", kDiscoverKey));
  cards.push_back(card("Nearby", driverless_printer_rows(driverless_, controls_),
                       discovering_ ? kSearchingCaption : kNoDriverlessCaption, std::move(discover)));
  cards.push_back(card("Current activity", print_job_rows(jobs_, controls_), kNoJobsCaption));
  cards.push_back(card("Scanners", scanner_rows(scanners_), kNoScannersCaption));
  return page_stack(std::move(cards));
}

}  // namespace settings::panes::printers
