// The Agent Models page as it is built from the pane's state: its cards, rows, captions, button ids
// and enabling rules; the providers card over a stored configuration; the handler buttons; and a
// page that follows the stored provider list.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "agent_provider_config/provider_config.h"
#include "harness/pane_harness.h"
#include "orvo_model_gateway/api_keys.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/agent_models/agent_models_pane.h"
#include "panes/agent_models/providers_view.h"

namespace settings::panes::agent_models {
namespace {

using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderKind;
using agent_provider_config::ProviderProfile;
using agent_provider_config::ProviderProtocol;
using testing::PaneHarness;

constexpr std::uint64_t kGiB = 1024ULL * 1024 * 1024;

// Answers one snapshot (or its failure) every time, once the gate (when given) opens; every other
// call succeeds.
class FixedManager final : public ModelManagerBackend {
 public:
  explicit FixedManager(std::expected<LocalModelSnapshot, std::string> answer,
                        std::optional<std::shared_future<void>> gate = std::nullopt)
      : answer_(std::move(answer)), gate_(std::move(gate)) {}
  std::expected<LocalModelSnapshot, std::string> snapshot() const override {
    if (gate_) gate_->wait();
    return answer_;
  }
  std::expected<void, std::string> install(const LocalModelPackage&) const override { return {}; }
  std::expected<void, std::string> start(std::string_view) const override { return {}; }
  std::expected<void, std::string> stop(std::string_view) const override { return {}; }
  std::expected<void, std::string> remove(std::string_view) const override { return {}; }
  std::expected<void, std::string> stage_accelerator() const override { return {}; }

 private:
  std::expected<LocalModelSnapshot, std::string> answer_;
  std::optional<std::shared_future<void>> gate_;
};

LocalModelPackage package(std::string id) {
  LocalModelPackage p;
  p.id = id;
  p.name = "Model " + id;
  p.description = "A compact model.";
  p.source = "hf.example/" + id;
  p.revision = "rev-" + id;
  p.license = "Apache-2.0";
  p.license_url = "https://licenses.example/apache";
  p.download_bytes = 3 * kGiB;
  p.installed_bytes = 4 * kGiB;
  return p;
}

LocalModelSnapshot good_device() {
  LocalModelSnapshot snapshot;
  snapshot.hardware = {HardwareFit::Good, 16, "Integrated GPU", 8, 120, "Balanced for everyday tool use."};
  snapshot.recommendation = package("rec");
  return snapshot;
}

std::size_t count_named(orvo_ui::Widget& widget, std::string_view name) {
  std::size_t count = widget.name() == name ? 1 : 0;
  for (auto* child : widget.children_mut()) count += count_named(*child, name);
  return count;
}

// The pane in an offscreen loop, tall enough that every button can be clicked.
struct Page {
  PaneHarness harness;
  std::shared_ptr<FixedManager> manager;
  std::optional<AgentModelsPane> pane;
  std::optional<testing::PaneInALoop> loop;

  // Shown once the first snapshot and the vault's answers are in (at once, without a gate).
  explicit Page(std::expected<LocalModelSnapshot, std::string> snapshot, std::function<void(const PaneHarness&)> before = {},
                std::optional<std::shared_future<void>> gate = std::nullopt) {
    if (before) before(harness);
    const bool gated = gate.has_value();
    manager = std::make_shared<FixedManager>(std::move(snapshot), std::move(gate));
    pane.emplace(AgentModelsPane::with_backend(manager)
                     .with_pane_operation(harness.operation_cell())
                     .with_operation_status(harness.status_cell()));
    loop.emplace(*pane, 1280, 4000);
    loop->frame();
    if (!gated) settle();
  }
  ~Page() {
    loop.reset();
    pane.reset();
    for (int i = 0; i < 2000 && manager.use_count() > 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  // Frames until nothing is awaited, and one more for the last answer's rebuild.
  void settle() {
    for (int i = 0; i < 2000; ++i) {
      loop->frame();
      if (!pane->busy()) {
        loop->frame();
        if (!pane->busy()) return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FAIL() << "the page kept waiting";
  }

  std::vector<std::string> texts() { return testing::texts_of(*pane); }
  // The texts, button labels and progress bar labels.
  std::vector<std::string> labels() {
    std::vector<std::string> out;
    std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& w) {
      if (auto* text = dynamic_cast<orvo_ui::Text*>(&w)) out.push_back(text->text());
      if (auto* button = dynamic_cast<orvo_ui::Button*>(&w)) out.push_back(button->label());
      if (auto* bar = dynamic_cast<orvo_ui::ProgressBar*>(&w); bar && bar->label()) out.push_back(*bar->label());
      for (auto* child : w.children_mut()) walk(*child);
    };
    walk(*pane);
    return out;
  }
  bool shows(std::string_view text) {
    const auto all = labels();
    return std::find(all.begin(), all.end(), text) != all.end();
  }
  orvo_ui::Widget* find(std::string_view id) { return testing::find_widget(*pane, id); }
  orvo_ui::Button* button(std::string_view id) { return dynamic_cast<orvo_ui::Button*>(find(id)); }
  orvo_ui::TextInput* field(std::string_view id) { return dynamic_cast<orvo_ui::TextInput*>(find(id)); }
  void click(std::string_view id) {
    auto* widget = find(id);
    ASSERT_NE(widget, nullptr) << id;
    loop->click(*widget);
    settle();
  }
};

// --- The local model cards ---

TEST(AgentModelsView, ReadingUntilTheFirstSnapshotArrives) {
  std::promise<void> release;
  Page page(good_device(), {}, release.get_future().share());
  // The frames came back while the manager still holds its answer: the page says it is reading,
  // and shows no verdict or model list that could pass for the device's.
  for (int i = 0; i < 3; ++i) page.loop->frame();
  EXPECT_TRUE(page.shows("Reading local models…"));
  for (const char* text : {"Hardware fit", "Recommended for this device", "Local model service unavailable",
                           "No local models are installed. Setup shows the download, storage, source, revision, "
                           "and license before anything changes."}) {
    EXPECT_FALSE(page.shows(text)) << text;
  }
  EXPECT_EQ(page.find("agent-models-setup-local"), nullptr);
  // The providers do not depend on the manager.
  EXPECT_TRUE(page.shows("Hosted and compatible providers"));

  release.set_value();
  page.settle();
  EXPECT_FALSE(page.shows("Reading local models…"));
  EXPECT_TRUE(page.shows("Good fit"));
  EXPECT_NE(page.find("agent-models-setup-local"), nullptr);
}

struct StateCase {
  const char* name;
  std::function<LocalModelSnapshot()> snapshot;
  std::vector<std::string> shown;
  std::vector<std::string> hidden;
  std::vector<std::string> enabled;   // button ids
  std::vector<std::string> disabled;  // button ids
  std::vector<std::string> absent;    // widget ids
};

TEST(AgentModelsView, WhatEachPaneStateShows) {
  const std::string stop_tiny = "agent-models-stop-agent_models.local.tiny_2_5.stop";
  const std::vector<StateCase> cases = {
      {"unsupported device",
       [] {
         auto s = good_device();
         s.hardware.fit = HardwareFit::Unsupported;
         return s;
       },
       {"Not enough memory", "Recommended model", "Model rec", "No local models are installed. Setup shows the download, "
                                                               "storage, source, revision, and license before anything "
                                                               "changes."},
       {},
       {},
       {"agent-models-setup-local"},
       {"agent-models-confirm-install"}},
      {"good device, accelerator queued",
       [] {
         auto s = good_device();
         s.accelerator_setup = AcceleratorSetup{"pack-7", accelerator::Queued{}};
         return s;
       },
       {"Queued", "Preparing accelerator support", "Signed hardware match", "pack-7",
        "The request is queued. You can leave Settings while Orvo verifies and stages the signed system image."},
       {},
       {},
       {"agent-models-setup-local"},
       {"agent-models-accelerator-setup", "agent-models-accelerator-retry"}},
      {"good device, accelerator active",
       [] {
         auto s = good_device();
         s.accelerator_setup = AcceleratorSetup{"pack-7", accelerator::Active{}};
         return s;
       },
       {"Active", "The signed accelerator stack is active and local model setup can use it."},
       {},
       {"agent-models-setup-local"},
       {},
       {"agent-models-accelerator-setup"}},
      {"accelerator available",
       [] {
         auto s = good_device();
         s.accelerator_setup = AcceleratorSetup{"pack-7", accelerator::Available{}};
         return s;
       },
       {"Ready to set up", "Set up accelerator"},
       {},
       {"agent-models-accelerator-setup"},
       {"agent-models-setup-local"},
       {"agent-models-accelerator-retry"}},
      {"accelerator staging",
       [] {
         auto s = good_device();
         s.accelerator_setup = AcceleratorSetup{"pack-7", accelerator::Staging{}};
         return s;
       },
       {"Staging", "Staging accelerator support",
        "Orvo is building the next boot deployment. The current desktop keeps running normally."},
       {},
       {},
       {"agent-models-setup-local"},
       {"agent-models-accelerator-setup", "agent-models-accelerator-retry"}},
      {"accelerator needs a restart",
       [] {
         auto s = good_device();
         s.accelerator_setup = AcceleratorSetup{"pack-7", accelerator::RestartRequired{}};
         return s;
       },
       {"Restart required"},
       {},
       {},
       {"agent-models-setup-local"},
       {"agent-models-accelerator-setup", "agent-models-accelerator-retry"}},
      {"accelerator failed",
       [] {
         auto s = good_device();
         s.accelerator_setup = AcceleratorSetup{"pack-7", accelerator::Error{"signature mismatch"}};
         return s;
       },
       {"Needs attention", "signature mismatch", "Retry accelerator setup"},
       {},
       {"agent-models-accelerator-retry"},
       {"agent-models-setup-local"},
       {"agent-models-accelerator-setup"}},
      {"no accelerator memory or free storage reported",
       [] {
         auto s = good_device();
         s.hardware.accelerator_memory_gib.reset();
         s.hardware.free_storage_gib.reset();
         return s;
       },
       {"System memory", "16 GiB"},
       {"Accelerator memory", "Storage available"},
       {"agent-models-setup-local"},
       {},
       {}},
      {"no recommendation",
       [] {
         auto s = good_device();
         s.recommendation.reset();
         return s;
       },
       {"Waiting for signed model catalog", "Service unavailable",
        "Setup stays disabled until the local model service reports a verified, immutable model release."},
       {"Set up on this device"},
       {},
       {"agent-models-setup-unavailable"},
       {"agent-models-setup-local"}},
      {"a download and an install without a percentage",
       [] {
         auto s = good_device();
         s.models = {{package("dl"), phase::Downloading{3 * kGiB / 2, 3 * kGiB}},
                     {package("in"), phase::Installing{std::nullopt, "Verifying files"}}};
         return s;
       },
       {"Downloading Model dl", "1.5 GiB of 3.0 GiB downloaded · safe to leave this page", "Installing Model in",
        "Verifying files"},
       {"Models on this device"},
       {},
       {},
       {"agent-models-remove-agent_models.local.dl.remove", "agent-models-remove-agent_models.local.in.remove"}},
      {"a ready and a failed model",
       [] {
         auto s = good_device();
         s.models = {{package("tiny-2.5"), phase::Ready{true, std::nullopt}},
                     {package("bad"), phase::Error{"checksum mismatch"}}};
         return s;
       },
       {"Running", "Needs attention", "checksum mismatch",
        "Available to agents through the local Orvo gateway. Workspace permissions still apply to every task.",
        "Retry resumes verified files where possible. Remove clears this model's local snapshot."},
       {},
       {stop_tiny, "agent-models-remove-agent_models.local.tiny_2_5.remove",
        "agent-models-retry-agent_models.local.bad.retry", "agent-models-remove-agent_models.local.bad.remove"},
       {},
       {"agent-models-start-agent_models.local.tiny_2_5.start"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Page page(c.snapshot());
    for (const auto& text : c.shown) EXPECT_TRUE(page.shows(text)) << text;
    for (const auto& text : c.hidden) EXPECT_FALSE(page.shows(text)) << text;
    for (const auto& id : c.enabled) {
      auto* button = page.button(id);
      ASSERT_NE(button, nullptr) << id;
      EXPECT_TRUE(button->is_enabled()) << id;
    }
    for (const auto& id : c.disabled) {
      auto* button = page.button(id);
      ASSERT_NE(button, nullptr) << id;
      EXPECT_FALSE(button->is_enabled()) << id;
    }
    for (const auto& id : c.absent) EXPECT_EQ(page.find(id), nullptr) << id;
  }
}

TEST(AgentModelsView, ServiceUnavailableShowsThreeCards) {
  Page page(std::unexpected(std::string("model service is unavailable: not found")));
  EXPECT_EQ(count_named(*page.pane, "Card"), 3u);
  const auto texts = page.texts();
  for (const char* title : {"Private by design", "Local model service unavailable", "Hosted and compatible providers"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), title), texts.end()) << title;
  }
  // The unavailable sentence is the card, not a second status line.
  EXPECT_FALSE(page.shows(*page.pane->status_message()));
  EXPECT_EQ(page.find("agent-models-setup-local"), nullptr);

  // A provider handler's outcome is shown all the same.
  (void)page.pane->notice_cell().publish(std::string("API key was not saved: no API key was entered"));
  page.settle();
  EXPECT_TRUE(page.shows("API key was not saved: no API key was entered"));
  EXPECT_EQ(count_named(*page.pane, "Card"), 3u);
}

TEST(AgentModelsView, ProgressBars) {
  auto snapshot = good_device();
  snapshot.models = {{package("dl"), phase::Downloading{3 * kGiB / 2, 3 * kGiB}},
                     {package("in"), phase::Installing{std::nullopt, "Unpacking"}},
                     {package("pc"), phase::Installing{40, "Unpacking"}},
                     {package("over"), phase::Downloading{4 * kGiB, 3 * kGiB}}};
  Page page(snapshot);
  std::vector<const orvo_ui::ProgressBar*> bars;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& w) {
    if (auto* bar = dynamic_cast<const orvo_ui::ProgressBar*>(&w)) bars.push_back(bar);
    for (auto* child : w.children_mut()) walk(*child);
  };
  walk(*page.pane);
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[0]->label(), "Downloading Model dl");
  EXPECT_FALSE(bars[0]->is_indeterminate());
  EXPECT_DOUBLE_EQ(bars[0]->fraction(), 0.5);
  EXPECT_TRUE(bars[1]->is_indeterminate());
  EXPECT_EQ(bars[1]->label(), "Installing Model in");
  EXPECT_FALSE(bars[2]->is_indeterminate());
  EXPECT_NEAR(bars[2]->fraction(), 0.4, 1e-6);
  // A download past its total draws a full bar.
  EXPECT_DOUBLE_EQ(bars[3]->fraction(), 1.0);
}

TEST(AgentModelsView, SetUpShowsTheConfirmationAndRemoveAsksTwice) {
  auto snapshot = good_device();
  snapshot.models = {{package("tiny-2.5"), phase::Ready{false, std::nullopt}}};
  Page page(snapshot);
  page.click("agent-models-setup-local");
  EXPECT_EQ(page.pane->pending_install(), "rec");
  for (const char* text : {"Download", "3.0 GiB", "Storage after install", "4.0 GiB", "Source", "hf.example/rec",
                           "Pinned revision", "rev-rec", "License", "Apache-2.0",
                           "By continuing, you accept the model license at https://licenses.example/apache. Orvo "
                           "downloads the pinned snapshot once and keeps inference on this device."}) {
    EXPECT_TRUE(page.shows(text)) << text;
  }
  auto* accept = page.button("agent-models-confirm-install");
  ASSERT_NE(accept, nullptr);
  EXPECT_EQ(accept->label(), "Accept license & download");
  ASSERT_NE(page.button("agent-models-cancel-install"), nullptr);
  EXPECT_EQ(page.find("agent-models-setup-local"), nullptr);
  page.click("agent-models-cancel-install");
  EXPECT_EQ(page.pane->pending_install(), std::nullopt);
  EXPECT_NE(page.find("agent-models-setup-local"), nullptr);

  const std::string remove = "agent-models-remove-agent_models.local.tiny_2_5.remove";
  ASSERT_NE(page.button(remove), nullptr);
  EXPECT_EQ(page.button(remove)->label(), "Remove…");
  page.click(remove);
  ASSERT_NE(page.button(remove), nullptr);
  EXPECT_EQ(page.button(remove)->label(), "Confirm remove");
  EXPECT_EQ(page.pane->pending_removal(), "tiny-2.5");
}

// --- The providers card ---

ProviderProfile profile(std::string id, ProviderProtocol protocol, bool enabled, std::optional<std::string> model,
                        ProviderKind kind = ProviderKind::Hosted) {
  ProviderProfile p;
  p.id = std::move(id);
  p.label = "Provider " + p.id;
  p.endpoint = "https://" + p.id + ".example/v1";
  p.protocol = protocol;
  p.enabled = enabled;
  p.kind = kind;
  if (model) {
    p.models.push_back(agent_provider_config::ModelDescriptor::named(*model));
    p.model = model;
  }
  return p;
}

void store(const ProviderConfig& config) { ASSERT_TRUE(config.save().has_value()); }

TEST(AgentModelsProvidersView, AnEmptyConfigurationShowsTheCaptionAndTheAddRow) {
  Page page(good_device());
  EXPECT_TRUE(page.shows("Hosted and compatible endpoints are personal to this device. Credentials remain references "
                         "in the system vault."));
  for (const char* id : {"agent-models-add-anthropic", "agent-models-add-openai"}) {
    auto* button = page.button(id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_TRUE(button->is_enabled()) << id;
  }
  // Nothing follows the add row.
  const auto texts = page.texts();
  EXPECT_EQ(texts.back(), "Hosted and compatible endpoints are personal to this device. Credentials remain references "
                          "in the system vault.");
  EXPECT_FALSE(page.shows("Protocol"));
}

TEST(AgentModelsProvidersView, FormsFollowTheStoredProfiles) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    config.profiles.push_back(profile("claude", ProviderProtocol::Anthropic, false, std::nullopt));
    config.profiles.push_back(profile("compat", ProviderProtocol::OpenAiCompatible, true, "m-1",
                                      ProviderKind::PrivateNetwork));
    config.profiles.push_back(profile("other", ProviderProtocol::OpenAiCompatible, true, "m-2"));
    config.profiles.push_back(profile("local-vllm", ProviderProtocol::OpenAiCompatible, true, "tiny",
                                      ProviderKind::ThisDevice));
    config.default_provider = "local-vllm";
    store(config);
  });

  // A disabled Anthropic profile without a model.
  EXPECT_TRUE(page.shows("Provider claude"));
  EXPECT_TRUE(page.shows("Hosted provider"));
  ASSERT_NE(page.button("agent-models-protocol-claude"), nullptr);
  EXPECT_EQ(page.button("agent-models-protocol-claude")->label(), "Use OpenAI-compatible");
  EXPECT_EQ(page.button("agent-models-enabled-claude")->label(), "Enable");
  EXPECT_TRUE(page.button("agent-models-enabled-claude")->is_enabled());
  EXPECT_EQ(page.find("agent-models-default-claude"), nullptr);
  EXPECT_EQ(page.field("agent-models-url-claude")->shown_text(), "https://claude.example/v1");

  EXPECT_TRUE(page.shows("Private network"));
  EXPECT_EQ(page.button("agent-models-protocol-compat")->label(), "Use Anthropic");
  EXPECT_EQ(page.button("agent-models-enabled-compat")->label(), "Disable");
  EXPECT_EQ(page.button("agent-models-default-compat")->label(), "Use by default");
  EXPECT_EQ(page.field("agent-models-model-compat")->shown_text(), "m-1");

  // The protocol rows, in profile order.
  const auto texts = page.texts();
  std::vector<std::string> protocols;
  for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
    if (texts[i] == "Protocol") protocols.push_back(texts[i + 1]);
  }
  EXPECT_EQ(protocols, (std::vector<std::string>{"Anthropic", "OpenAI-compatible", "OpenAI-compatible"}));

  // This device's profile never gets a form, even as the default.
  EXPECT_EQ(page.find("agent-models-label-local-vllm"), nullptr);
  EXPECT_EQ(page.find("agent-models-default-local-vllm"), nullptr);

  // No key stored: the key row offers to save one.
  EXPECT_EQ(page.button("agent-models-set-api-key-claude")->label(), "Save key");
  EXPECT_TRUE(page.shows("No API key stored."));
  EXPECT_FALSE(page.shows("API key is stored in the Orvo vault."));
}

TEST(AgentModelsProvidersView, TheDefaultProvidersButtonSaysSo) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    config.profiles.push_back(profile("one", ProviderProtocol::OpenAiCompatible, true, "m"));
    config.profiles.push_back(profile("two", ProviderProtocol::OpenAiCompatible, true, "m"));
    config.default_provider = "one";
    store(config);
  });
  EXPECT_EQ(page.button("agent-models-default-one")->label(), "Default for new tasks");
  EXPECT_EQ(page.button("agent-models-default-two")->label(), "Use by default");
}

TEST(AgentModelsProvidersView, ValidationErrorsGetOneCaptionEach) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    auto blank = profile("blank", ProviderProtocol::OpenAiCompatible, true, std::nullopt);
    blank.endpoint = " ";
    config.profiles.push_back(blank);
    config.default_provider = "nobody";
    store(config);
  });
  const auto errors = ProviderConfig::load().validation_errors();
  ASSERT_GE(errors.size(), 2u);
  std::vector<std::string> captions;
  for (const auto& text : page.texts()) {
    if (text.starts_with("Provider configuration: ")) captions.push_back(text);
  }
  ASSERT_EQ(captions.size(), errors.size());
  for (std::size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(captions[i], "Provider configuration: " + errors[i].second);
}

TEST(AgentModelsProvidersView, AnActionTheResourceLacksLeavesItsButtonDisabled) {
  auto resource = orvo_actions::Resource::make("settings.section:agent_models", "settings.agent-models", "Agent Models");
  const auto bare = provider_action_button(resource, "agent-models-add-anthropic", "Add Anthropic", std::nullopt,
                                           "add-anthropic");
  EXPECT_FALSE(bare.is_enabled());
  EXPECT_FALSE(bare.has_action_control_bindings());
  const auto missing_child =
      provider_action_button(resource, "agent-models-enabled-x", "Disable", std::string_view("x"), "disable");
  EXPECT_FALSE(missing_child.is_enabled());
}

TEST(AgentModelsProvidersView, AFailingKeyLookupCountsAsNoKey) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    config.profiles.push_back(profile("claude", ProviderProtocol::Anthropic, true, std::nullopt));
    store(config);
    // A vault that cannot be read.
    const auto vault = *orvo_model_gateway::vault_root() / "vault";
    std::filesystem::create_directories(vault);
    std::ofstream(vault / "vault.enc") << "not a vault";
  });
  EXPECT_EQ(page.button("agent-models-set-api-key-claude")->label(), "Save key");
  EXPECT_TRUE(page.shows("No API key stored."));
}

TEST(AgentModelsProvidersView, HandlerButtonsRunOnceAndReportOnTheNextSync) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    config.profiles.push_back(profile("claude", ProviderProtocol::Anthropic, true, std::nullopt));
    store(config);
  });
  // "Save details" stores what was typed; once the model is stored, the default button appears.
  page.click("agent-models-model-claude");
  page.loop->type("m-typed");
  page.click("agent-models-save-provider-claude");
  EXPECT_EQ(page.pane->status_message(), "Provider details saved.");
  EXPECT_EQ(ProviderConfig::load().find("claude")->model, "m-typed");
  ASSERT_NE(page.button("agent-models-default-claude"), nullptr);
  EXPECT_EQ(page.button("agent-models-default-claude")->label(), "Use by default");

  page.click("agent-models-api-key-claude");
  page.loop->type("sk-secret-1");
  // The typed key is masked and reaches no state, review or accessibility value.
  {
    auto* field = page.field("agent-models-api-key-claude");
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(page.pane->key_input("claude")->with_text([](std::string_view t) { return t == "sk-secret-1"; }));
    EXPECT_EQ(field->shown_text().find("sk-secret"), std::string::npos);
    const auto node = field->accessibility();
    if (node && node->value) EXPECT_EQ(node->value->find("sk-secret"), std::string::npos);
    if (const auto state = field->get_state()) EXPECT_EQ(state->find("sk-secret"), std::string::npos);
    if (const auto review = field->text_review(); review && review->text) {
      EXPECT_EQ(review->text->find("sk-secret"), std::string::npos);
    }
  }
  page.click("agent-models-set-api-key-claude");
  EXPECT_EQ(page.pane->status_message(), "API key saved in the Orvo vault.");
  EXPECT_TRUE(orvo_model_gateway::secret_configured("claude"));
  // The typed key left the field, and the page says a key is stored.
  EXPECT_TRUE(page.pane->key_input("claude")->empty());
  EXPECT_EQ(page.button("agent-models-set-api-key-claude")->label(), "Replace key");
  EXPECT_TRUE(page.shows("API key is stored in the Orvo vault."));
  for (const auto& text : page.texts()) EXPECT_EQ(text.find("sk-secret-1"), std::string::npos) << text;

  page.click("agent-models-remove-api-key-claude");
  EXPECT_EQ(page.pane->status_message(), "API key removed from the Orvo vault.");
  EXPECT_FALSE(orvo_model_gateway::secret_configured("claude"));
  EXPECT_EQ(page.button("agent-models-set-api-key-claude")->label(), "Save key");
  EXPECT_TRUE(page.shows("No API key stored."));

  // A save with nothing typed says so.
  page.click("agent-models-set-api-key-claude");
  EXPECT_EQ(page.pane->status_message(), "API key was not saved: no API key was entered");
}

TEST(AgentModelsProvidersView, TypedTextSurvivesARebuild) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    config.profiles.push_back(profile("one", ProviderProtocol::OpenAiCompatible, true, std::nullopt));
    store(config);
  });
  page.click("agent-models-url-one");
  page.loop->type("/extra");
  page.pane->refresh();  // its answer marks the structure dirty
  page.settle();
  auto* field = page.field("agent-models-url-one");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->cell().snapshot(), "https://one.example/v1/extra");
  EXPECT_EQ(field->shown_text(), "https://one.example/v1/extra");
}

TEST(AgentModelsProvidersView, AChangedConfigurationFileRebuildsThePage) {
  Page page(good_device(), [](const PaneHarness&) {
    ProviderConfig config;
    config.profiles.push_back(profile("one", ProviderProtocol::OpenAiCompatible, true, std::nullopt));
    store(config);
  });
  page.click("agent-models-url-one");
  page.loop->type("/typed");
  // Another program (or the shell) changes the stored list.
  auto config = ProviderConfig::load();
  config.find("one")->enabled = false;
  config.profiles.push_back(profile("two", ProviderProtocol::Anthropic, true, std::nullopt));
  store(config);
  page.settle();
  ASSERT_NE(page.button("agent-models-enabled-one"), nullptr);
  EXPECT_EQ(page.button("agent-models-enabled-one")->label(), "Enable");
  EXPECT_NE(page.find("agent-models-url-two"), nullptr);
  EXPECT_EQ(page.field("agent-models-url-one")->shown_text(), "https://one.example/v1/typed");

  // A removed provider's form goes.
  config.remove("two");
  store(config);
  page.settle();
  EXPECT_EQ(page.find("agent-models-url-two"), nullptr);
}

}  // namespace
}  // namespace settings::panes::agent_models
