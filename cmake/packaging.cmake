# Installation into the usual places of a Linux desktop, and the Debian package built from it
# with CPack (`make package`, or `cpack --config <build>/CPackConfig.cmake`).
#
#   <bin>/k5-dipswitch, <bin>/k5-dipswitch-cli, <bin>/k5-transmitter-sim
#   <share>/bash-completion/completions/k5-dipswitch-cli
#   <share>/applications/k5-dipswitch.desktop
#   <share>/metainfo/<K5_APPSTREAM_ID>.metainfo.xml
#   <share>/icons/hicolor/<n>x<n>/apps/k5-dipswitch.png, scalable/apps/k5-dipswitch.svg
#   <man>/man1/k5-dipswitch.1.gz, k5-dipswitch-cli.1.gz, k5-transmitter-sim.1.gz
#   <share>/doc/k5-dipswitch/copyright, changelog.gz
#   <share>/lintian/overrides/k5-dipswitch
#
# Read at the end of the top-level CMakeLists.txt, after every subdirectory, so the program
# targets and the rendered icons are known here.

include(GNUInstallDirs)

# The desktop entry keeps the program's name: the window announces itself under it
# (QGuiApplication::desktopFileName), which is how a desktop matches the window to the entry and
# its icon. The AppStream component wants a reverse-DNS id; it points at the entry by name.
set(K5_DESKTOP_ID "k5-dipswitch")
set(K5_APPSTREAM_ID "org.k5dipswitch.k5dipswitch")
set(k5_share_dir "${CMAKE_CURRENT_SOURCE_DIR}/share")
set(k5_share_build_dir "${CMAKE_CURRENT_BINARY_DIR}/share")

set(k5_programs k5-dipswitch k5-dipswitch-cli k5-transmitter-sim)
install(TARGETS ${k5_programs} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# A stripped install (the package's: CPACK_STRIP_FILES) also drops the compiler's version notes
# from the programs, as Debian's dh_strip does.
foreach(program ${k5_programs})
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
endforeach()

# Loaded by bash-completion when the command is first completed.
install(FILES "${k5_share_dir}/k5-dipswitch-cli.bash"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
        RENAME k5-dipswitch-cli)

install(FILES "${k5_share_dir}/k5-dipswitch.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications"
        RENAME "${K5_DESKTOP_ID}.desktop")

configure_file("${k5_share_dir}/k5-dipswitch.metainfo.xml.in"
               "${k5_share_build_dir}/${K5_APPSTREAM_ID}.metainfo.xml" @ONLY)
install(FILES "${k5_share_build_dir}/${K5_APPSTREAM_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The icon as the window uses it: the PNGs rendered for the resources (the 16 px one drawn on
# the pixel grid) and the SVG source for any other size.
get_directory_property(k5_rendered_dir DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/assets"
                       DEFINITION K5_RENDERED_DIR)
get_directory_property(k5_icon_sizes DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/assets"
                       DEFINITION K5_ICON_SIZES)
if(NOT k5_rendered_dir OR NOT k5_icon_sizes)
    message(FATAL_ERROR "assets/CMakeLists.txt no longer sets K5_RENDERED_DIR and "
                        "K5_ICON_SIZES: the icons to install are not found.")
endif()
foreach(size IN LISTS k5_icon_sizes)
    install(FILES "${k5_rendered_dir}/icon${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME "${K5_DESKTOP_ID}.png")
endforeach()
install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/assets/icon.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME "${K5_DESKTOP_ID}.svg")

# The manual pages of the programs with a command line are written by help2man from their --help,
# so that page and program always agree; the name line and the sections that --help leaves out
# come from share/<program>.h2m. The pages carry a fixed date rather than the day of the build
# (SOURCE_DATE_EPOCH, 2026-12-07). The window has no command line for help2man to read: its page
# is written by hand.
find_program(K5_HELP2MAN help2man)
if(NOT K5_HELP2MAN)
    message(FATAL_ERROR "help2man is missing (Debian package help2man): it writes the manual "
                        "pages. scripts/install-deps.sh installs it.")
endif()
set(k5_man_sources "${k5_share_build_dir}/k5-dipswitch.1")
configure_file("${k5_share_dir}/k5-dipswitch.1.in" "${k5_share_build_dir}/k5-dipswitch.1" @ONLY)
foreach(program k5-dipswitch-cli k5-transmitter-sim)
    set(page "${k5_share_build_dir}/${program}.1")
    add_custom_command(
        OUTPUT "${page}"
        COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=1796601600
                "${K5_HELP2MAN}" --no-info --section=1 "--source=k5-dipswitch ${PROJECT_VERSION}"
                "--version-string=${PROJECT_VERSION}" "--include=${k5_share_dir}/${program}.h2m"
                "--output=${page}" "$<TARGET_FILE:${program}>"
        DEPENDS ${program} "${k5_share_dir}/${program}.h2m"
        COMMENT "Writing the manual page of ${program} from its --help"
        VERBATIM)
    list(APPEND k5_man_sources "${page}")
endforeach()

# Compressed as Debian ships them (-n: no name or time stamp, so the package is the same from one
# build to the next): the manual pages and the changelog.
find_program(K5_GZIP gzip REQUIRED)
function(k5_gzip source gz)
    get_filename_component(name "${gz}" NAME_WLE)
    get_filename_component(dir "${gz}" DIRECTORY)
    add_custom_command(
        OUTPUT "${gz}"
        COMMAND "${CMAKE_COMMAND}" -E copy "${source}" "${dir}/${name}"
        COMMAND "${K5_GZIP}" -9nf "${dir}/${name}"
        DEPENDS "${source}"
        COMMENT "Compressing ${name}"
        VERBATIM)
endfunction()

file(MAKE_DIRECTORY "${k5_share_build_dir}/man" "${k5_share_build_dir}/doc")
set(k5_man_pages "")
foreach(source ${k5_man_sources})
    get_filename_component(page "${source}" NAME)
    k5_gzip("${source}" "${k5_share_build_dir}/man/${page}.gz")
    list(APPEND k5_man_pages "${k5_share_build_dir}/man/${page}.gz")
endforeach()
install(FILES ${k5_man_pages} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# The documents Debian asks of every package: the copyright, and the changelog, which a native
# package (no Debian revision in its version) keeps as changelog.gz. Its newest entry is the
# version being built.
file(STRINGS "${k5_share_dir}/changelog" k5_changelog_top LIMIT_COUNT 1)
if(NOT k5_changelog_top MATCHES "^k5-dipswitch \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "share/changelog: its newest entry must be for version "
                        "${PROJECT_VERSION}, the one being built.")
endif()
k5_gzip("${k5_share_dir}/changelog" "${k5_share_build_dir}/doc/changelog.gz")
add_custom_target(k5-docs ALL DEPENDS ${k5_man_pages} "${k5_share_build_dir}/doc/changelog.gz")
install(FILES "${k5_share_dir}/copyright" "${k5_share_build_dir}/doc/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DOCDIR}")
# What lintian reports of the package and cannot be mended, each with its reason.
install(FILES "${k5_share_dir}/k5-dipswitch.lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME k5-dipswitch)

# The Debian package. dpkg-shlibdeps names the packages of the libraries the programs link (the
# Qt libraries, which bring the X11 platform plugin and the CUPS print plugin, the C and C++
# runtimes) with the least versions their symbols need. Loaded rather than linked, and so named
# here: the font that stands in for Arial in the window and on the sheet, and the CUPS client
# library that the window asks about a print's queue and job.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, libcups2")

set(K5_PACKAGE_CONTACT "K5 DIP-switch maintainers <maintainers@k5-dipswitch.invalid>"
    CACHE STRING "Maintainer of the Debian package: name <address>")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "k5-dipswitch")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${K5_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "A technician uses it on the bench to read the DIP-switch code that a K5
transmitter holds over a serial line, edit it as ten three-position switches
or as a number, write it back, read the transmitter's version text and print
a code sheet. The package also holds k5-transmitter-sim, a simulated
transmitter on a pseudo-terminal, and k5-dipswitch-cli, which reads and writes
codes from the command line for scripts and the production line, and names
serial adapters as the ports COM1 to COM16.")
set(CPACK_STRIP_FILES TRUE)
# The DEB generator installs under /usr by itself.
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# `package_source`: the sources alone, without build folders and editor caches.
set(CPACK_SOURCE_GENERATOR "TXZ")
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/"
    "/compile_commands\\\\.json$")
include(CPack)
