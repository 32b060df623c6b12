orvo_fuzz_target(theme_file SOURCE ${CMAKE_CURRENT_LIST_DIR}/theme_file.cpp LIBS orvo_ui LABEL setting-panes)
