#pragma once
// One visitor from several lambdas, for std::visit over the tagged enums:
//   std::visit(Overloaded{[](const A&) {...}, [](const B&) {...}}, value);

namespace orvo_runtime {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
// GCC deduces the aggregate's arguments itself; clang before 17 needs the guide.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace orvo_runtime
