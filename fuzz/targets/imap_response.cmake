orvo_fuzz_target(imap_response SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/imap_response.cpp
  LIBS settings_core LABEL account-check)
