orvo_fuzz_target(shortcut_config SOURCE ${CMAKE_CURRENT_LIST_DIR}/shortcut_config.cpp LIBS settings_store
                 LABEL keyboard-shortcuts)
