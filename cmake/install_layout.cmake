# Where `cmake --install` and the Debian package put zelkor's files, each where Debian's tools
# look for it, and the build step that makes generated files.
include(GNUInstallDirs)

set(ZELKOR_UDEV_RULES_DIR lib/udev/rules.d) # not LIBDIR: udev never looks in a multiarch dir
set(ZELKOR_UDEV_RULE_NAME 60-zelkor.rules)
set(ZELKOR_BASH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# zsh looks for the distribution's completions in vendor-completions and for local ones (the
# default /usr/local) in site-functions.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(ZELKOR_ZSH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
else()
  set(ZELKOR_ZSH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
endif()
set(ZELKOR_FISH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

# Runs COMMAND at build time and keeps its standard output in `output`. A failed run leaves no
# output behind, so the next build runs it again instead of installing half a file.
function(zelkor_capture output)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "COMMAND;DEPENDS")
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "\"$@\" > \"${output}.tmp\" && mv \"${output}.tmp\" \"${output}\"" capture
      ${arg_COMMAND}
    DEPENDS ${arg_DEPENDS} VERBATIM)
endfunction()
