# Interface targets that carry the project's warning and sanitizer flags.

add_library(qel_warnings INTERFACE)
target_compile_options(qel_warnings INTERFACE -Wall -Wextra)

option(QEL_SANITIZE "Build with -fsanitize=address,undefined" OFF)
option(QEL_THREAD_SANITIZE "Build with -fsanitize=thread" OFF)
option(QEL_FUZZ "Build the fuzz targets (clang only): everything instrumented for libFuzzer,
    with the address and undefined-behaviour sanitizers" OFF)
if(QEL_SANITIZE AND QEL_THREAD_SANITIZE)
    message(FATAL_ERROR "QEL_SANITIZE and QEL_THREAD_SANITIZE cannot be combined")
endif()
add_library(qel_sanitizers INTERFACE)
if(QEL_SANITIZE)
    target_compile_options(qel_sanitizers INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(qel_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
if(QEL_THREAD_SANITIZE)
    target_compile_options(qel_sanitizers INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(qel_sanitizers INTERFACE -fsanitize=thread)
endif()

if(QEL_FUZZ)
    target_compile_options(qel_sanitizers INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(qel_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

add_library(qel_build_flags INTERFACE)
target_link_libraries(qel_build_flags INTERFACE qel_warnings qel_sanitizers)

# A libFuzzer target: a program whose main is the fuzzer's.
function(qel_fuzz_target name)
    add_executable(${name} ${ARGN})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE qel_build_flags)
endfunction()
