kelvora_fuzz(dialog_requests ${CMAKE_CURRENT_SOURCE_DIR}/dialog_requests_fuzz.cc kelvora_server)
