orvo_fuzz_target(scanner_list SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/scanner_list.cpp
  LIBS os_actions LABEL printers)
