orvo_fuzz_target(sidebar_text SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/sidebar_text.cpp
  LIBS settings_core LABEL sections-sidebar)
