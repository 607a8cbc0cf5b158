# The core library is standard C++ only: it also builds natively on Linux for the
# fast tests, sanitizers and fuzzers. Stop the configure if a core file reaches
# for the Windows API.
function(corvane_check_core_purity target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
    cmake_path(REPLACE_EXTENSION source LAST_ONLY .h OUTPUT_VARIABLE header)
    foreach(file IN ITEMS ${source} ${header})
      if(EXISTS ${file})
        file(STRINGS ${file} hits REGEX "#[ \t]*include[ \t]*[<\"](windows|winuser|winbase|wininet|shellapi|commctrl|tlhelp32)\\.h[>\"]")
        if(hits)
          message(FATAL_ERROR "${file} is a core file but includes the Windows API: ${hits}")
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()
