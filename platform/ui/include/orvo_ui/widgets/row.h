#pragma once
// Children side by side, left to right, centred vertically unless told otherwise.
#include "orvo_ui/widgets/flex_box.h"

namespace orvo_ui {

class Row final : public FlexBuilder<Row> {
 public:
  // The standard gap the spacing option puts between children when no gap is given.
  static constexpr float kSpacing = 12;

  Row() : FlexBuilder(FlexDirection::Row) {}

  // Spacing: children sit kSpacing apart unless an explicit gap is set.
  [[nodiscard]] Row with_spacing(bool spacing) && {
    spacing_ = spacing;
    return std::move(*this);
  }
  bool spacing() const { return spacing_; }

  std::string_view type_name() const override { return "orvo_ui::widget::row::Row"; }
  std::string_view name() const override { return "Row"; }

 protected:
  Style layout_style() const override;

 private:
  bool spacing_ = false;
};

}  // namespace orvo_ui
