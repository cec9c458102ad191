# The table engine's fuzz targets: the DBF header and record reader, and the DBT /
# FPT memo readers. scripts/fuzz.sh builds everything with coverage
# instrumentation (-fsanitize=fuzzer-no-link), so the libraries are linked as
# they are.
foreach(target table_header_fuzz memo_fuzz)
  add_executable(${target} ${CMAKE_CURRENT_SOURCE_DIR}/${target}.cpp)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${target} PRIVATE platform_dbf)
endforeach()
