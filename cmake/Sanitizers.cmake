# -DTERVANE_SANITIZE=address gives AddressSanitizer with UndefinedBehaviorSanitizer,
# -DTERVANE_SANITIZE=thread gives ThreadSanitizer. Applied to the whole build.
if(TERVANE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(TERVANE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TERVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TERVANE_SANITIZE must be empty, 'address' or 'thread'")
endif()
