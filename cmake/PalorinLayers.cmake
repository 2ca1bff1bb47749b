# The layers are enforced by include paths. A library's headers are reachable
# only through ${CMAKE_BINARY_DIR}/layers/<folder>, which holds a single
# symbolic link <folder> -> the source folder, and that directory is the
# library's PUBLIC include path. A target therefore sees "core/stamp.h" only
# if it links palorin_core (directly or through a PUBLIC dependency), so a
# lower layer that includes a higher layer's header fails to build.

# Sets ${out_var} to an include directory under which "<folder>/..." names
# the files of the source folder <folder>, and nothing else.
function(palorin_folder_include_dir folder out_var)
  set(dir ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
  set(${out_var} ${dir} PARENT_SCOPE)
endfunction()

# palorin_library(<name> SOURCES <file>... [PUBLIC <lib>...] [PRIVATE <lib>...])
# A static library made of the current folder's sources, exposing only that
# folder's headers; PUBLIC libraries are the lower layers whose headers its
# own headers include.
function(palorin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "palorin_library(${name}): unexpected ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(${name} STATIC ${ARG_SOURCES})
  palorin_folder_include_dir(${folder} include_dir)
  target_include_directories(${name} PUBLIC ${include_dir})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()
