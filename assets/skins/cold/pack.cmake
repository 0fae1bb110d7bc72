# velmap_pack_cold_skin(OUT): packs "Cold (internal)" from its sources into the
# archive OUT with tools/skinpack; velmap_pack_skin(NAME OUT) packs the skin in
# assets/skins/NAME the same way (its art drawn by cold's make_art.py), entries in the order the band ships them:
# Options.dat, ButtonHuge.bmp, Master.bmp. skinpack must run on the build
# machine: a cross build makes its own native skinpack first (build/<preset>/host-tools).
include(ExternalProject)

function(velmap_pack_cold_skin out)
  velmap_pack_skin(cold ${out})
endfunction()

function(velmap_pack_skin name out)
  set(dir ${CMAKE_SOURCE_DIR}/assets/skins/${name})
  if(CMAKE_CROSSCOMPILING)
    set(host ${CMAKE_BINARY_DIR}/host-tools)
    set(tool ${host}/tools/skinpack/skinpack)
    if(NOT TARGET host_skinpack)
      # A native configure of this same tree, building nothing but skinpack.
      ExternalProject_Add(host_skinpack
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${host}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVELMAP_TESTS=OFF
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${host} --target skinpack
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${tool})
    endif()
    set(tool_deps host_skinpack ${tool})
  else()
    set(tool skinpack)
    set(tool_deps skinpack)
  endif()
  get_filename_component(out_dir ${out} DIRECTORY)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${tool} pack ${dir} ${out} ButtonHuge.bmp Master.bmp
    DEPENDS ${tool_deps} ${dir}/Options.dat ${dir}/ButtonHuge.bmp ${dir}/Master.bmp
    COMMENT "Packing the skin ${name}"
    VERBATIM)
endfunction()
