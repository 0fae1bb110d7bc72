# Skin painting: gradients against a plain fill, nine-piece borders against
# the SSE2 blend, whole items against memcpy of the cache, a full band repaint.
add_executable(paint_item_bench ${CMAKE_CURRENT_LIST_DIR}/paint_item_bench.cpp)
target_link_libraries(paint_item_bench PRIVATE velmap_skin_data benchmark::benchmark)
target_compile_definitions(paint_item_bench PRIVATE VELMAP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_target_properties(paint_item_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
