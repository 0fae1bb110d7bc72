# velmap_pack_cold_skin(OUT): packs "Cold (internal)" from its sources into the
# archive OUT with tools/skinpack, entries in the order the band ships them:
# Options.dat, ButtonHuge.bmp, Master.bmp. Needs a skinpack that runs on the
# build machine (the native build).
function(velmap_pack_cold_skin out)
  set(dir ${CMAKE_SOURCE_DIR}/assets/skins/cold)
  add_custom_command(
    OUTPUT ${out}
    COMMAND skinpack pack ${dir} ${out} ButtonHuge.bmp Master.bmp
    DEPENDS skinpack ${dir}/Options.dat ${dir}/ButtonHuge.bmp ${dir}/Master.bmp
    COMMENT "Packing the internal skin Cold (internal)"
    VERBATIM)
endfunction()
