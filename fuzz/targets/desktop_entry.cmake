orvo_fuzz_target(desktop_entry SOURCE ${CMAKE_CURRENT_LIST_DIR}/desktop_entry.cpp LIBS orvo_desktop
                 LABEL preference-catalogues)
