orvo_fuzz_target(account_stores SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/account_stores.cpp
  LIBS settings_core LABEL account-stores)
