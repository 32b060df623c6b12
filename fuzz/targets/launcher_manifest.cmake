orvo_fuzz_target(launcher_manifest SOURCE ${CMAKE_CURRENT_LIST_DIR}/launcher_manifest.cpp LIBS orvo_desktop
                 LABEL app-rules-accessibility)
