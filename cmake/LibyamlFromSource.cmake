# libyaml compiled for the target from its sources (the Windows build, where no packaged library
# for the target exists), linked statically into whatever uses the YAML decoder.
function(mox_add_libyaml_from_source target source_dir)
  if(NOT EXISTS "${source_dir}/include/yaml.h")
    message(FATAL_ERROR "libyaml sources not found in ${source_dir}; run scripts/setup.sh --win32")
  endif()
  file(GLOB sources "${source_dir}/src/*.c")
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} SYSTEM PUBLIC "${source_dir}/include")
  target_compile_definitions(${target}
    PUBLIC YAML_DECLARE_STATIC
    PRIVATE YAML_VERSION_MAJOR=0 YAML_VERSION_MINOR=2 YAML_VERSION_PATCH=5 YAML_VERSION_STRING="0.2.5")
  target_compile_options(${target} PRIVATE -w)
endfunction()
