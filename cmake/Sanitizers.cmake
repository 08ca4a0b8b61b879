# Sanitizer trees. 'address' instruments everything with ASan and UBSan and stops at the first
# report; 'thread' instruments everything with TSan, and tests/ builds only the threaded tests there.
if(VA_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(VA_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT VA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VA_SANITIZE must be empty, 'address' or 'thread', not '${VA_SANITIZE}'")
endif()

# The fuzz tree (clang only): everything instrumented for libFuzzer, ASan and UBSan; only the fuzz
# targets link the fuzzer's main().
if(VA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VA_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
