# The band in a taskbar-like host under Wine (built with the win64 preset).
if(WIN32)
  add_executable(band_bench band_bench.cpp)
  target_link_libraries(band_bench PRIVATE velmap_bandhost_site)
  add_dependencies(band_bench VelmapBand)
endif()

# The soak, run by hand under Wine: ./dev wine build/win64/bin/band_soak.exe
if(WIN32)
  add_executable(band_soak band_soak.cpp)
  target_include_directories(band_soak PRIVATE ${CMAKE_SOURCE_DIR}/tools/player-standin)
  target_link_libraries(band_soak PRIVATE velmap_bandhost_site velmap_win)
  add_dependencies(band_soak VelmapBand player-standin)
endif()

# A live skin change in a shown band against decoding the internal skin.
if(WIN32)
  add_executable(skin_change_bench skin_change_bench.cpp)
  target_link_libraries(skin_change_bench PRIVATE velmap_bandhost_site velmap_skin_manager velmap_skin_data)
  add_dependencies(skin_change_bench VelmapBand shipped_skins cold_skin_archive)
endif()
