#pragma once
// Children stacked top to bottom, each as wide as the column unless told otherwise.
#include "orvo_ui/widgets/flex_box.h"

namespace orvo_ui {

class Column final : public FlexBuilder<Column> {
 public:
  Column() : FlexBuilder(FlexDirection::Column) {}

  // The gap across the column's axis, between wrapped lines of children. Columns never wrap, so it
  // is kept for the callers that pass it and changes nothing yet.
  [[nodiscard]] Column with_cross_gap(float gap) && {
    cross_gap_ = gap;
    return std::move(*this);
  }
  std::optional<float> cross_gap() const { return cross_gap_; }

  std::string_view type_name() const override { return "orvo_ui::widget::column::Column"; }
  std::string_view name() const override { return "Column"; }

 private:
  std::optional<float> cross_gap_;
};

}  // namespace orvo_ui
