orvo_fuzz_target(operation_payload SOURCE targets/operation_payload.cpp LIBS settings_core LABEL json-payloads)
