# pondrel_idl(<target> <file.idl>)
#   Compiles an IDL file with widl into a header, a GUID source and a type
#   library under <build>/generated/<source-relative dir>/.  <target> is a
#   static library of the GUIDs; linking it gives the header's include path
#   (include "<source-relative dir>/<name>.h").  The type library's path is
#   left in <target>_TLB (for a TYPELIB resource).
# The 32-bit deliverables are the product; a 64-bit tree is built only to run
# the tests on hosts that cannot execute 32-bit code (tools/test).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_program(PONDREL_WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)
  set(PONDREL_WIDL_ARCH --win64)
  set(PONDREL_WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  find_program(PONDREL_WIDL NAMES i686-w64-mingw32-widl widl REQUIRED)
  set(PONDREL_WIDL_ARCH --win32)
  set(PONDREL_WINE_TLB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
set(PONDREL_WINE_IDL_DIR /usr/include/wine/wine/windows)

function(pondrel_idl target idl)
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl_abs ${idl} ABSOLUTE)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/generated)
  set(out ${root}/${rel})
  add_custom_command(
    OUTPUT ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${PONDREL_WIDL} ${PONDREL_WIDL_ARCH} -I${PONDREL_WINE_IDL_DIR} -L${PONDREL_WINE_TLB_DIR}
            -h -H ${out}/${name}.h -u -U ${out}/${name}_i.c -t -T ${out}/${name}.tlb ${idl_abs}
    DEPENDS ${idl_abs}
    COMMENT "widl ${name}.idl"
    VERBATIM)
  add_custom_target(${target}_gen DEPENDS ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb)
  add_library(${target} STATIC ${out}/${name}_i.c ${out}/${name}.h)
  add_dependencies(${target} ${target}_gen)
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ole32 oleaut32 uuid)
  set(${target}_TLB ${out}/${name}.tlb PARENT_SCOPE)
  set(${target}_DIR ${out} PARENT_SCOPE)
endfunction()

# pondrel_com_server(<target> SOURCES <src...> DEF <file.def> [TLB <file.tlb>] [LIBS <lib...>])
#   An in-process COM server DLL named <target>.dll with undecorated exports
#   from its .def file; TLB, when given, is a dependency of its resources.
#   Test prefixes and tools/run register it (pondrel_com_component).
function(pondrel_com_server target)
  cmake_parse_arguments(S "" "DEF;TLB" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${S_SOURCES} ${S_DEF})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target})
  target_link_libraries(${target} PRIVATE fx ${S_LIBS})
  pondrel_com_component(${target})
  if(S_TLB)
    foreach(src IN LISTS S_SOURCES)
      if(src MATCHES "\\.rc$")
        set_source_files_properties(${src} PROPERTIES OBJECT_DEPENDS ${S_TLB})
      endif()
    endforeach()
  endif()
endfunction()
