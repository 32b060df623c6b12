#pragma once
// The Agent Models page, built afresh from the pane's state: what local inference means here, the
// model service, the accelerator setup, the device's fit with the recommended model and its install
// confirmation, one card per installed model, then the providers card. Its buttons write the
// pane's document keys; the pane's pass carries them out.
#include <memory>
#include <string_view>

#include "orvo_ui/widget.h"
#include "services/local_models.h"
#include "panes/document_controls.h"

namespace settings::panes::agent_models {

class AgentModelsPane;

// "Excellent fit", "Good fit", "Will run, with limits", "Not enough memory".
std::string_view fit_label(HardwareFit fit);

std::unique_ptr<orvo_ui::Widget> local_models_view(AgentModelsPane& pane, DocumentControls& controls);

}  // namespace settings::panes::agent_models
