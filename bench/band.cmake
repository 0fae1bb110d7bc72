# The band in a taskbar-like host under Wine (built with the win64 preset).
if(WIN32)
  add_executable(band_bench band_bench.cpp)
  target_link_libraries(band_bench PRIVATE velmap_bandhost_site)
  add_dependencies(band_bench VelmapBand)
endif()
