orvo_fuzz_target(xkb_rules SOURCE ${CMAKE_CURRENT_LIST_DIR}/xkb_rules.cpp LIBS settings_store
                 LABEL preference-catalogues)
