# Helpers of the Windows edition.

# tarn_add_version_resource(TARGET DESCRIPTION FILE_NAME [EXTRA_RC_LINES])
# Gives a program or library a version resource carrying the build's version, which makensis's
# version checks and the installers read.
function(tarn_add_version_resource target description fileName)
  set(TARN_RESOURCE_DESCRIPTION "${description}")
  set(TARN_RESOURCE_FILE "${fileName}")
  get_filename_component(TARN_RESOURCE_NAME "${fileName}" NAME_WE)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(TARN_RESOURCE_TYPE VFT_DLL)
  else()
    set(TARN_RESOURCE_TYPE VFT_APP)
  endif()
  set(TARN_RESOURCE_EXTRA "${ARGN}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
