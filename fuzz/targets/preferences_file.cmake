orvo_fuzz_target(preferences_file SOURCE ${CMAKE_CURRENT_LIST_DIR}/preferences_file.cpp LIBS settings_core
                 LABEL preferences)
