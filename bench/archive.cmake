# Packed skin archive reader against zlib's uncompress of the same entries.
add_executable(archive_bench ${CMAKE_CURRENT_LIST_DIR}/archive_bench.cpp)
target_link_libraries(archive_bench PRIVATE velmap_skin_data benchmark::benchmark)
