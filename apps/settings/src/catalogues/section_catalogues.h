#pragma once
// The catalogue of each settings section: the section's resource with all its actions and children,
// without the "open" action, which the tree puts first (resource_tree.h). Each builder reads only
// what it needs of the inputs; the live queries go through `inputs.queries`.
#include "catalogues/section_inputs.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

orvo_actions::Resource network_resource(const SectionInputs& inputs);
orvo_actions::Resource bluetooth_resource(const SectionInputs& inputs);
orvo_actions::Resource devices_sync_resource(const SectionInputs& inputs);
orvo_actions::Resource sound_resource(const SectionInputs& inputs);
orvo_actions::Resource displays_resource(const SectionInputs& inputs);
orvo_actions::Resource input_resource(const SectionInputs& inputs);
orvo_actions::Resource keyboard_shortcuts_resource(const SectionInputs& inputs);
orvo_actions::Resource time_date_resource(const SectionInputs& inputs);
orvo_actions::Resource users_resource(const SectionInputs& inputs);
orvo_actions::Resource printers_resource(const SectionInputs& inputs);
orvo_actions::Resource power_resource(const SectionInputs& inputs);
orvo_actions::Resource appearance_resource(const SectionInputs& inputs);
orvo_actions::Resource accessibility_resource(const SectionInputs& inputs);
orvo_actions::Resource notifications_resource(const SectionInputs& inputs);
orvo_actions::Resource default_apps_resource(const SectionInputs& inputs);
orvo_actions::Resource storage_resource(const SectionInputs& inputs);
orvo_actions::Resource external_accounts_resource(const SectionInputs& inputs);
orvo_actions::Resource agent_models_resource(const SectionInputs& inputs);
orvo_actions::Resource region_formats_resource(const SectionInputs& inputs);
orvo_actions::Resource updates_resource(const SectionInputs& inputs);

}  // namespace settings::actions
