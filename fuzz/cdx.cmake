# The CDX page reader fuzz target. The library's sources are compiled into the
# target itself so that libFuzzer's coverage instrumentation reaches them.
get_target_property(CDX_FUZZ_SOURCES platform_cdx SOURCES)
get_target_property(CDX_FUZZ_DIR platform_cdx SOURCE_DIR)
list(TRANSFORM CDX_FUZZ_SOURCES PREPEND ${CDX_FUZZ_DIR}/)
add_executable(cdx_page_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/cdx_page_fuzz.cpp ${CDX_FUZZ_SOURCES})
target_include_directories(cdx_page_fuzz PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(cdx_page_fuzz PRIVATE -fsanitize=fuzzer)
target_link_options(cdx_page_fuzz PRIVATE -fsanitize=fuzzer)
target_link_libraries(cdx_page_fuzz PRIVATE lib_core platform_filelock platform_fs
  platform_indexing platform_text)
