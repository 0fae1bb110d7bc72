# Skin data model: loading the internal skin beside inflating its entries alone.
add_executable(model_load_bench ${CMAKE_CURRENT_LIST_DIR}/model_load_bench.cpp)
target_link_libraries(model_load_bench PRIVATE velmap_skin_data benchmark::benchmark)
target_compile_definitions(model_load_bench PRIVATE VELMAP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_target_properties(model_load_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
