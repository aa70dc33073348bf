# Where `cmake --install` and the Debian package put zelkor's files, each where Debian's tools
# look for it, and the build step that makes generated files.
include(GNUInstallDirs)

set(ZELKOR_UDEV_RULES_DIR lib/udev/rules.d) # not LIBDIR: udev never looks in a multiarch dir
set(ZELKOR_UDEV_RULE_NAME 60-zelkor.rules)
set(ZELKOR_BASH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
set(ZELKOR_FISH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

# zsh looks for the distribution's completions in vendor-completions and for local ones (the
# default /usr/local) in site-functions.
function(zelkor_zsh_completion_dir prefix out)
  if(prefix STREQUAL "/usr")
    set(${out} ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_INSTALL_DATADIR}/zsh/site-functions PARENT_SCOPE)
  endif()
endfunction()

# The Debian package installs into /usr from whichever build it is made of (scripts/test makes
# it from the tests' build), so what depends on the prefix is made for the configured prefix and
# for /usr, each in a folder named by its layout, and chosen when installing: ZELKOR_LAYOUT is
# "package" while installing into /usr from a build configured for another prefix, "configured"
# otherwise. The chosen zsh folder is ZELKOR_ZSH_COMPLETION_DIR.
set(ZELKOR_PACKAGE_PREFIX /usr)
set(ZELKOR_LAYOUTS configured)
set(ZELKOR_LAYOUT_configured_PREFIX ${CMAKE_INSTALL_PREFIX})
if(NOT CMAKE_INSTALL_PREFIX STREQUAL ZELKOR_PACKAGE_PREFIX)
  list(APPEND ZELKOR_LAYOUTS package)
  set(ZELKOR_LAYOUT_package_PREFIX ${ZELKOR_PACKAGE_PREFIX})
endif()
list(GET ZELKOR_LAYOUTS -1 package_layout)
zelkor_zsh_completion_dir(${CMAKE_INSTALL_PREFIX} configured_zsh_dir)
zelkor_zsh_completion_dir(${ZELKOR_PACKAGE_PREFIX} package_zsh_dir)
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"${ZELKOR_PACKAGE_PREFIX}\")
    set(ZELKOR_LAYOUT ${package_layout})
    set(ZELKOR_ZSH_COMPLETION_DIR ${package_zsh_dir})
  else()
    set(ZELKOR_LAYOUT configured)
    set(ZELKOR_ZSH_COMPLETION_DIR ${configured_zsh_dir})
  endif()")

# Runs COMMAND at build time and keeps its standard output in `output`. A failed run leaves no
# output behind, so the next build runs it again instead of installing half a file.
function(zelkor_capture output)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "COMMAND;DEPENDS")
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "\"$@\" > \"${output}.tmp\" && mv \"${output}.tmp\" \"${output}\"" capture
      ${arg_COMMAND}
    DEPENDS ${arg_DEPENDS} VERBATIM)
endfunction()
