# The NTX page reader fuzz target. The library's sources are compiled into the
# target itself so that libFuzzer's coverage instrumentation reaches them.
get_target_property(NTX_FUZZ_SOURCES platform_ntx SOURCES)
get_target_property(NTX_FUZZ_DIR platform_ntx SOURCE_DIR)
list(TRANSFORM NTX_FUZZ_SOURCES PREPEND ${NTX_FUZZ_DIR}/)
add_executable(ntx_page_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/ntx_page_fuzz.cpp ${NTX_FUZZ_SOURCES})
target_include_directories(ntx_page_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(ntx_page_fuzz PRIVATE -fsanitize=fuzzer)
target_link_options(ntx_page_fuzz PRIVATE -fsanitize=fuzzer)
target_link_libraries(ntx_page_fuzz PRIVATE lib_core platform_filelock platform_indexing platform_text)
