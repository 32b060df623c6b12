orvo_fuzz_target(fwupd_listing SOURCE ${CMAKE_CURRENT_LIST_DIR}/fwupd_listing.cpp LIBS os_actions LABEL update-service)
